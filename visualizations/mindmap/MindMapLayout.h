#pragma once

#include "model/ViewModes.h"

#include <QColor>
#include <QPointF>
#include <QSizeF>

#include <array>
#include <span>
#include <vector>

class FileNode;

// The mind map's geometry: the folder's largest entries as branches on up to three rings around a
// centre disc, each branch a dot joined to its parent by a curved connector. Pure functions of the
// tree, the colour mode and the view's size, so they are tested without a window.
//
// Angles are radians from 3 o'clock, growing clockwise on screen (y points down): 12 o'clock is -π/2.
namespace mind_map {

constexpr double kPi = 3.141592653589793;

// Children kept of a node at depth d - 1 (entry d; entry 0 is unused): the folder keeps its 8
// largest, a first-level node 7, a second-level node 6. Third-level nodes are never expanded.
constexpr std::array<int, 4> kChildLimits = {0, 8, 7, 6};
constexpr int kMaxDepth = 3;

// The first level shares one full turn starting 0.08π clockwise of 12 o'clock.
constexpr double kFirstStart = -0.42 * kPi;
constexpr double kFirstEnd = 1.58 * kPi;
// A child's children share its range less this fraction of its sweep at each end, which leaves a gap
// between the fans of neighbouring siblings.
constexpr double kFanInset = 0.06;
// The radius first-level connectors are taken to start from (the centre disc's reach).
constexpr double kCentreRadius = 50;

struct Branch {
    FileNode* node = nullptr;
    QPointF point;       // centre of the dot
    QPointF parentPoint; // centre of the parent's dot; the view's centre for the first level
    double angle = 0;    // direction from the centre: the middle of [start, end)
    double parentAngle = 0;
    double start = 0; // the branch's share of its parent's range
    double end = 0;
    double distance = 0; // radius of the branch's ring
    double parentDistance = 0;
    int depth = 1;  // 1 = a child of the folder
    double dot = 0; // diameter
    QColor fill;    // the dot
    QColor accent;  // the connector leading to the dot
    bool showsLabel = false;
};

struct Geometry {
    QPointF centre;
    double radius = 0;
    std::array<double, 4> rings{}; // ring radius by depth; entry 0 unused

    static Geometry forSize(QSizeF size);
};

// The branches of `source` (the folder, or its "By type" / "By age" regrouping) in depth-first
// pre-order, siblings in stored order (a regrouping's groups in their declared order). Each node keeps the
// first kChildLimits of its children and then drops those of 0 bytes; a regrouping keeps its largest groups
// (drawn in their declared order). Angular room follows the count of leaves below a branch, not its size.
// Empty when nothing is left or the source has no bytes. `now` dates the age colours.
std::vector<Branch> computeBranches(const FileNode* source, ColorMode mode, QSizeF size, double now);

// The node under `point`: `folder` within kCentreRadius of the centre (boundary included), else the
// nearest dot whose reach (its radius plus 5 points) covers the point, the earlier branch on a tie;
// null when none does.
FileNode* hitTest(std::span<const Branch> branches, QPointF centre, QPointF point, FileNode* folder);

} // namespace mind_map
