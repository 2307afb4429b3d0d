#pragma once

#include "model/ViewModes.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <span>
#include <vector>

class FileNode;

// The squarified treemap of a folder: pure functions of the tree, a rectangle, a depth limit and a
// colour mode, so they are tested without a window.
namespace treemap {

// One laid-out rectangle. The list is in pre-order: a group comes before its descendants, siblings
// largest first, so drawing in order paints children over their group and a backward scan meets
// the deepest cell under a point first.
struct Cell {
    QRectF rect; // after the 1.5-point inset from the cell's share (the whole shares when plain)
    FileNode* node = nullptr;
    bool isGroup = false; // a folder drawn as a frame around its own children
    QColor color;         // base colour; the view applies its fill opacities on top
    int depth = 1;        // 1 for the shown folder's children
    // A block standing for `node`'s children that are too small to be drawn one by one: a run of
    // children too small for the inset (drawn plain, on their whole shares), or those left out by the
    // size rule (in the remainder's share). A folder of a million tiny files never looks empty. Hit
    // tests find `node`, except at the top level, where it is the shown folder and nothing is found;
    // outlines and labels skip it.
    bool plain = false;
    bool rest = false;
};

// Layout constants shared by the layout and the view.
constexpr double kInset = 1.5;       // each cell is inset this much from its share
constexpr double kAreaMargin = 3;    // the layout area inside the frame
constexpr double kMinShare = 6.0;    // square points a child needs to be laid out
constexpr double kGroupMinSide = 26; // a folder cell at most this wide or high is a leaf
constexpr double kHeaderHeight = 21; // group header strip, when the group is big enough for a name
constexpr double kThinHeader = 3;
constexpr double kHeaderMinWidth = 48;  // a group wider than this and higher than kHeaderMinHeight
constexpr double kHeaderMinHeight = 56; // gets the full header (and its name)

// The view's frame inside a widget of size (w, h): 13 points of padding, never below 60 x 60.
QSizeF frameSize(QSizeF viewSize);

// One rectangle per weight, in the order of the weights, tiling `rect` with rows of near-square
// cells. Zero rectangles when the weights add up to 0 or less, or the rectangle is empty.
std::vector<QRectF> squarify(std::span<const double> weights, const QRectF& rect);
// The same into `out` (of the weights' size), with no allocation.
void squarify(std::span<const double> weights, const QRectF& rect, std::span<QRectF> out);

// The cells of `source` (the shown folder, or its regrouping under "By type" and "By age") laid out
// in `frame` (the view's frame at the origin), down to `maxDepth` levels. `now` dates the age colours.
std::vector<Cell> buildCells(const FileNode* source, const QRectF& frame, int maxDepth, ColorMode mode,
                             double now);

// The texts a cell shows: a name line (empty: no label) and, for leaves high enough, a size line.
struct CellLabel {
    QString name;
    QString size;
};
CellLabel labelFor(const Cell& cell, bool abbreviate);

// The node of the last cell containing `point` (maximum edges outside), or null; null too in a
// top-level block of small children.
FileNode* hitTest(std::span<const Cell> cells, QPointF point);

} // namespace treemap
