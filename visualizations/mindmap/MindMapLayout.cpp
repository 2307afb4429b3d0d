#include "visualizations/mindmap/MindMapLayout.h"

#include "model/FileNode.h"
#include "shell/style/Palette.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace mind_map {

namespace {

// The kept part of the tree, with the count of leaves below each item.
struct TreeItem {
    FileNode* node = nullptr;
    std::vector<TreeItem> children;
    int leaves = 1;
};

// The children a node keeps, in their declared order: its `limit` largest with bytes. A folder stores
// its children largest first, so they are its first `limit`, cut before the empty are dropped (an empty
// child among them takes its slot). A regrouping's few groups are declared in category or age order:
// they are chosen by size, so that a large group late in that order is never cut.
std::vector<FileNode*> keptChildren(const FileNode* node, size_t limit) {
    std::vector<FileNode*> scratch;
    const auto kids = node->childrenInDeclaredOrder(scratch);
    const bool groups = node->isVirtual() && !kids.empty() && kids.front()->isVirtual();
    std::vector<size_t> chosen;
    for (size_t i = 0; i < kids.size() && (groups || i < limit); ++i)
        if (kids[i]->sizeOnDisk > 0) chosen.push_back(i);
    if (chosen.size() > limit) {
        std::ranges::stable_sort(chosen, std::greater{}, [&](size_t i) { return kids[i]->sizeOnDisk; });
        chosen.resize(limit);
        std::ranges::sort(chosen);
    }
    std::vector<FileNode*> kept;
    for (size_t i : chosen)
        kept.push_back(kids[i]);
    return kept;
}

TreeItem buildTree(FileNode* node, int depth) {
    TreeItem item{node, {}, 1};
    if (!node->isDirectory() || depth >= kMaxDepth) return item;
    int leaves = 0;
    for (FileNode* child : keptChildren(node, size_t(kChildLimits[size_t(depth + 1)]))) {
        item.children.push_back(buildTree(child, depth + 1));
        leaves += item.children.back().leaves;
    }
    item.leaves = std::max(leaves, 1);
    return item;
}

struct DotSize {
    double base, factor, cap;
};
constexpr std::array<DotSize, 4> kDots = {{{0, 0, 0}, {10, 34, 46}, {6, 26, 26}, {5, 26, 26}}};

class Builder {
  public:
    Builder(const Geometry& geometry, ColorMode mode, double total, double now)
        : g_(geometry), mode_(mode), total_(total), now_(now) {}

    std::vector<Branch> branches;

    void layOut(const TreeItem& item, int depth, int top, double start, double end, double parentAngle,
                QPointF parentPoint) {
        const double span = end - start;
        double a = start;
        for (size_t i = 0; i < item.children.size(); ++i) {
            const TreeItem& child = item.children[i];
            FileNode* node = child.node;
            const double sweep = double(child.leaves) * span / double(item.leaves);
            const double angle = a + sweep / 2;
            const double distance = g_.rings[size_t(depth)];
            const QPointF point = g_.centre + distance * QPointF(std::cos(angle), std::sin(angle));
            const double fraction = double(node->sizeOnDisk) / total_;
            const int t = depth == 1 ? int(i) : top;
            const DotSize& d = kDots[size_t(depth)];
            branches.push_back({
                node,
                point,
                parentPoint,
                angle,
                parentAngle,
                a,
                a + sweep,
                distance,
                depth == 1 ? kCentreRadius : g_.rings[size_t(depth - 1)],
                depth,
                std::min(d.base + d.factor * std::sqrt(fraction), d.cap),
                palette::nodeColor(*node, mode_, depth == 1, t, int(i), depth, now_),
                palette::mindMapColor(*node, mode_, t, now_),
                depth == 1 || fraction >= 0.025,
            });
            layOut(child, depth + 1, t, a + kFanInset * sweep, a + sweep - kFanInset * sweep, angle, point);
            a += sweep;
        }
    }

  private:
    const Geometry& g_;
    ColorMode mode_;
    double total_;
    double now_;
};

} // namespace

Geometry Geometry::forSize(QSizeF size) {
    Geometry g;
    g.centre = QPointF(size.width() / 2, size.height() / 2);
    // A small view still gets rings out to 120 points.
    g.radius = std::max(std::min(size.width(), size.height()) / 2 - 50, 120.0);
    g.rings = {0, 0.37 * g.radius, 0.67 * g.radius, 0.95 * g.radius};
    return g;
}

std::vector<Branch> computeBranches(const FileNode* source, ColorMode mode, QSizeF size, double now) {
    if (!source) return {};
    const TreeItem tree = buildTree(const_cast<FileNode*>(source), 0);
    if (tree.children.empty() || source->sizeOnDisk <= 0) return {};
    const Geometry g = Geometry::forSize(size);
    Builder builder(g, mode, double(source->sizeOnDisk), now);
    builder.layOut(tree, 1, 0, kFirstStart, kFirstEnd, 0, g.centre);
    return std::move(builder.branches);
}

FileNode* hitTest(std::span<const Branch> branches, QPointF centre, QPointF point, FileNode* folder) {
    const QPointF d = point - centre;
    if (d.x() * d.x() + d.y() * d.y() <= kCentreRadius * kCentreRadius) return folder;
    FileNode* best = nullptr;
    double bestDistance = 0;
    for (const Branch& b : branches) {
        const double distance = std::hypot(point.x() - b.point.x(), point.y() - b.point.y());
        if (distance <= b.dot / 2 + 5 && (!best || distance < bestDistance)) {
            best = b.node;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace mind_map
