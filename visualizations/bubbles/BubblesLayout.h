#pragma once

#include "model/ViewModes.h"

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class FileNode;

// Nested circle packing of a folder: every folder a circle holding its children, each circle's area
// proportional to its bytes on disk among its siblings (a folder's children are packed at their bytes,
// then scaled together to fit inside it, so a level lies a little smaller than the one above). Packing
// depends only on the tree and the colour mode; fitting the packed tree into a view of some size
// (flatten) is a separate, cheap step, so a resize never packs again.
namespace bubbles {

constexpr int kDepthLimit = 4;  // levels below the folder that are packed
constexpr int kChildLimit = 60; // children drawn per circle, taken before empty ones are dropped; those
                                // past it are packed as one undrawn circle of their bytes
constexpr double kGroupFactor = 1.045; // a group's outline lies this far outside its children
constexpr double kViewMargin = 14;     // between the root circle and the view's shorter side
constexpr double kMinRootRadius = 40;
constexpr double kMinRadius = 1.2; // points; smaller circles are dropped with their descendants

// One circle in packing units (a leaf's radius is the square root of its bytes).
struct Circle {
    double x = 0;
    double y = 0;
    double r = 0;
};

// Moves `c` so that it touches `a` and `b` from outside, on the side of the vector (-dy, dx) of the
// line from `a` to `b`.
void place(const Circle& b, const Circle& a, Circle& c);

// The rating of the chain pair (i, next[i]): the squared distance from the origin of the point where
// the two touch. The next circle is placed against the pair with the lowest rating.
double score(int i, std::span<const Circle> circles, std::span<const int> next);

// The enclosing circle of the chain's circles, in one pass in chain order (it contains them all, but
// is not always the smallest); every circle of `circles` is moved so that its centre is the origin.
// Returns its radius.
double enclose(std::span<Circle> circles, std::span<const int> chain);

// Places the circles, in their order, around the origin with a front-chain packing so that none
// overlaps another and their enclosing circle is centred on the origin. Returns its radius (0 for none).
// Chain repairs are capped at 40 per circle, after which circles are put next to the current pair
// without looking for overlaps, so any input ends.
double packSiblings(std::span<Circle> circles);

// One circle of the packed tree, in pre-order (a parent before its children, children in kept order).
struct PackNode {
    FileNode* node = nullptr;
    int depth = 0; // 0 for the folder (or its regrouping)
    QColor color;  // clear for the root
    double r = 0;  // in the root's units, where the root's radius is the square root of its bytes
    double x = 0;  // centre relative to the root's centre, the root's units
    double y = 0;
    uint32_t end = 0; // one past the last circle of its subtree in the list

    bool isGroup(size_t index) const { return end > index + 1; }
};
using PackTree = std::vector<PackNode>;

// The packed tree of `source` (the folder, or its "By type" / "By age" regrouping): directories
// above `depthLimit` hold their first `childLimit` children with bytes (the bytes of the others take
// their room undrawn); `now` dates the age colours.
// Empty for a null source.
PackTree buildPackTree(const FileNode* source, ColorMode mode, double now, int depthLimit = kDepthLimit,
                       int childLimit = kChildLimit);

// One drawn circle, in view coordinates.
struct Bubble {
    FileNode* node = nullptr;
    QPointF center;
    double radius = 0;
    int depth = 0;
    bool isGroup = false; // the packed circle holds children (drawn or not)
    QColor color;
};

// The radius the root gets in a view of `size`: half the shorter side less the margin, at least 40.
double rootRadius(QSizeF size);

// The packed tree fitted into a view of `size`: the root centred with rootRadius(size), every other
// circle in proportion; circles under kMinRadius are left out with their subtrees. Pre-order.
std::vector<Bubble> flatten(const PackTree& tree, QSizeF size);

// The node of the last bubble whose disc holds `point` (the boundary counts), or null.
FileNode* hitTest(std::span<const Bubble> bubbles, QPointF point);

// The first bubble of `node` (by identity), or null.
const Bubble* find(std::span<const Bubble> bubbles, const FileNode* node);

// A circle's label: text, the point its text is centred on, and font size. `name` is what the node is
// called; the root always shows it in full.
struct Label {
    QString text;
    QPointF anchor;
    double fontSize = 0;
};
std::optional<Label> labelFor(const Bubble& bubble, const QString& name, bool abbreviate);

} // namespace bubbles
