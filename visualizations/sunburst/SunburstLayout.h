#pragma once

#include "model/ViewModes.h"

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <span>
#include <vector>

class FileNode;

// The rings of the sunburst: pure functions of the tree, the depth and the colour mode (the arcs are
// angles, so a new size never lays them out again) and of the view's size (the radii).
//
// Angles are radians measured clockwise from 12 o'clock, in [0, 2π]. Qt measures arcs in degrees
// counter-clockwise from 3 o'clock: qtDegrees() is the only conversion between the two.
namespace sunburst {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kMinSpan = 0.004; // radians; the first child below it ends its parent's ring
                                   // (a group below it is only left out)

struct SunArc {
    FileNode* node = nullptr;
    int ring = 0;     // 0 innermost
    double start = 0; // clockwise from 12 o'clock
    double end = 0;   // start < end <= 2π
    QColor color;
};

// Arcs of `source` (the folder, or its regrouping) in pre-order, siblings largest first (a regrouping's
// groups in their declared order, FileNode::childrenInDeclaredOrder), on rings 0 to maxRings - 1. `now` dates
// the age colours.
std::vector<SunArc> buildArcs(const FileNode* source, int maxRings, ColorMode mode, double now);

// Radii for a view size.
struct Geometry {
    QPointF centre;
    double inner = 0; // radius of the centre disc's ring boundary
    double ringWidth = 0;
    int maxRings = 1;

    static Geometry forSize(QSizeF size, int maxRings);
    double ringInner(int ring) const { return inner + ring * ringWidth; }
    double ringOuter(int ring) const { return inner + (ring + 1) * ringWidth; }
};

// The single place where the two angle conventions meet.
double qtDegrees(double angle);
// The point at `radius` from `centre` in the direction `angle`, and the angle of a point, in [0, 2π).
QPointF pointAt(QPointF centre, double radius, double angle);
double angleOf(QPointF centre, QPointF point);

// The annular sector of an arc.
QPainterPath sectorPath(const Geometry& geometry, const SunArc& arc);

// The node under a point: `folder` inside the centre disc, the arc's node on a ring, else null.
FileNode* hitTest(const Geometry& geometry, std::span<const SunArc> arcs, QPointF point, FileNode* folder);

// An arc's label: text, anchor (the arc's middle) and rotation in degrees, clockwise on screen.
struct Label {
    QString text;
    QPointF anchor;
    double rotation = 0;
    bool abbreviated = false; // initials, drawn unrotated
};
std::optional<Label> labelFor(const Geometry& geometry, const SunArc& arc, const QString& name,
                              bool abbreviate);

} // namespace sunburst
