#include "visualizations/bubbles/BubblesLayout.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/style/Palette.h"

#include <algorithm>
#include <cmath>

namespace bubbles {

namespace {

constexpr double kOverlapTolerance = 1e-6;
constexpr double kContainTolerance = 1e-9;
constexpr int kRepairsPerCircle = 40;

// Circles that touch (within the tolerance) do not intersect.
bool intersects(const Circle& a, const Circle& b) {
    const double d = a.r + b.r - kOverlapTolerance;
    const double dx = b.x - a.x, dy = b.y - a.y;
    return d > 0 && d * d > dx * dx + dy * dy;
}

} // namespace

void place(const Circle& b, const Circle& a, Circle& c) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double d2 = dx * dx + dy * dy;
    if (!(d2 > 0)) {
        c.x = a.x + c.r;
        c.y = a.y;
        return;
    }
    const double ra = (a.r + c.r) * (a.r + c.r);
    const double rb = (b.r + c.r) * (b.r + c.r);
    if (ra > rb) {
        const double x = (d2 + rb - ra) / (2 * d2);
        const double y = std::sqrt(std::max(0.0, rb / d2 - x * x));
        c.x = b.x - x * dx - y * dy;
        c.y = b.y - x * dy + y * dx;
    } else {
        const double x = (d2 + ra - rb) / (2 * d2);
        const double y = std::sqrt(std::max(0.0, ra / d2 - x * x));
        c.x = a.x + x * dx - y * dy;
        c.y = a.y + x * dy + y * dx;
    }
}

double score(int i, std::span<const Circle> circles, std::span<const int> next) {
    const Circle& p = circles[size_t(i)];
    const Circle& q = circles[size_t(next[size_t(i)])];
    const double sum = p.r + q.r;
    const double x = (p.x * q.r + q.x * p.r) / sum;
    const double y = (p.y * q.r + q.y * p.r) / sum;
    return x * x + y * y;
}

double enclose(std::span<Circle> circles, std::span<const int> chain) {
    if (chain.empty()) return 0;
    const Circle& first = circles[size_t(chain[0])];
    double cx = first.x, cy = first.y, radius = first.r;
    for (size_t k = 1; k < chain.size(); ++k) {
        const Circle& e = circles[size_t(chain[k])];
        const double dx = e.x - cx, dy = e.y - cy;
        const double dist = std::sqrt(dx * dx + dy * dy);
        if (radius + kContainTolerance >= e.r + dist) continue; // inside already
        if (e.r >= radius + dist) {                             // holds the circle so far
            cx = e.x;
            cy = e.y;
            radius = e.r;
            continue;
        }
        const double merged = (e.r + radius + dist) * 0.5;
        const double t = (merged - radius) / dist;
        cx += (e.x - cx) * t;
        cy += (e.y - cy) * t;
        radius = merged;
    }
    for (Circle& c : circles) {
        c.x -= cx;
        c.y -= cy;
    }
    return radius;
}

double packSiblings(std::span<Circle> c) {
    const int n = int(c.size());
    if (n == 0) return 0;
    c[0].x = c[0].y = 0;
    if (n == 1) return c[0].r;

    c[0].x = -c[1].r;
    c[1].x = c[0].r;
    c[1].y = 0;
    if (n == 2) {
        const int pair[] = {0, 1};
        return enclose(c, pair);
    }

    place(c[1], c[0], c[2]);
    // The front chain: a cycle over positions, as next and previous links.
    std::vector<int> next(size_t(n), 0), prev(size_t(n), 0);
    next[0] = 1, next[1] = 2, next[2] = 0;
    prev[1] = 0, prev[2] = 1, prev[0] = 2;
    int a = 0, b = 1;
    int repairs = 0;
    const int repairCap = kRepairsPerCircle * n;

    for (int i = 3; i < n;) {
        Circle& ci = c[size_t(i)];
        place(c[size_t(a)], c[size_t(b)], ci);

        // Look for the chain circle nearest along the chain that the new one overlaps; cut the chain
        // short to it and try again. Past the cap the circle goes in as placed.
        bool repaired = false;
        if (repairs < repairCap) {
            int j = next[size_t(b)], k = prev[size_t(a)];
            double sj = c[size_t(b)].r, sk = c[size_t(a)].r;
            do {
                if (sj <= sk) {
                    if (intersects(c[size_t(j)], ci)) {
                        next[size_t(a)] = j;
                        prev[size_t(j)] = a;
                        b = j;
                        repaired = true;
                        break;
                    }
                    sj += c[size_t(j)].r;
                    j = next[size_t(j)];
                } else {
                    if (intersects(c[size_t(k)], ci)) {
                        next[size_t(k)] = b;
                        prev[size_t(b)] = k;
                        a = k;
                        repaired = true;
                        break;
                    }
                    sk += c[size_t(k)].r;
                    k = prev[size_t(k)];
                }
            } while (j != next[size_t(k)]);
        }
        if (repaired) {
            ++repairs;
            continue;
        }

        prev[size_t(i)] = a;
        next[size_t(i)] = b;
        next[size_t(a)] = i;
        prev[size_t(b)] = i;

        // The next pair: the one touching nearest the origin; a tie keeps the earlier candidate.
        double best = score(a, c, next);
        for (int m = next[size_t(i)]; m != i; m = next[size_t(m)]) {
            const double s = score(m, c, next);
            if (s < best) {
                a = m;
                best = s;
            }
        }
        b = next[size_t(a)];
        ++i;
    }

    std::vector<int> chain;
    chain.reserve(size_t(n) + 1);
    int m = b;
    do {
        chain.push_back(m);
        m = next[size_t(m)];
    } while (m != b && int(chain.size()) < n + 1);
    return enclose(c, chain);
}

namespace {

class Builder {
  public:
    Builder(ColorMode mode, double now, int depthLimit, int childLimit)
        : mode_(mode), now_(now), depthLimit_(depthLimit), childLimit_(childLimit) {}

    PackTree tree;
    std::vector<uint32_t> parent; // of each circle, for placing it relative to the root
    // What a group's packing is scaled by to fit into its own circle (1 for a leaf).
    std::vector<double> contentScale;

    // Appends the subtree of `node` and returns its position. A circle's radius is the square root of
    // its bytes; its children are packed at theirs and then scaled down together to fit inside it, so
    // that siblings compare by area as their bytes do, however many children each holds.
    uint32_t build(const FileNode* node, int depth, int top, int index, uint32_t parentIndex) {
        const auto self = uint32_t(tree.size());
        const QColor color = depth == 0
                                 ? QColor(Qt::transparent)
                                 : palette::nodeColor(*node, mode_, depth < 2, top, index, depth, now_);
        const double radius = std::sqrt(double(std::max<int64_t>(node->sizeOnDisk, 1)));
        tree.push_back({const_cast<FileNode*>(node), depth, color, radius});
        parent.push_back(parentIndex);
        contentScale.push_back(1);

        // The cut at the child limit comes before empty children are dropped.
        const size_t base = kept_.size();
        int64_t keptBytes = 0;
        bool cut = false;
        if (depth < depthLimit_ && node->isDirectory()) {
            std::vector<FileNode*> scratch; // only a regrouping's groups are put in order here
            const auto children = node->childrenInDeclaredOrder(scratch);
            const size_t count = std::min(children.size(), size_t(std::max(childLimit_, 0)));
            for (size_t i = 0; i < count; ++i)
                if (children[i]->sizeOnDisk > 0) {
                    kept_.push_back(children[i]);
                    keptBytes += children[i]->sizeOnDisk;
                }
            cut = count < children.size();
        }
        if (kept_.size() == base) {
            tree[self].end = self + 1;
            return self;
        }

        // Children first (their radii are needed), then their packing; positions relative to this one.
        const size_t count = kept_.size() - base;
        const size_t firstChild = children_.size();
        for (size_t i = 0; i < count; ++i) {
            const uint32_t child = build(kept_[base + i], depth + 1, depth == 0 ? int(i) : top, int(i), self);
            children_.push_back(child);
        }
        kept_.resize(base);
        circles_.resize(count);
        for (size_t i = 0; i < count; ++i)
            circles_[i] = {0, 0, tree[children_[firstChild + i]].r};
        // The children past the limit are packed as one circle of their bytes, among the others by
        // size; it is not drawn, so the folder's own fill shows there.
        const int64_t restBytes = cut ? node->sizeOnDisk - keptBytes : 0;
        size_t restAt = count; // past every child: no such circle
        if (restBytes > 0) {
            const Circle rest{0, 0, std::sqrt(double(restBytes))};
            restAt = size_t(std::find_if(circles_.begin(), circles_.end(),
                                         [&](const Circle& c) { return c.r < rest.r; }) -
                            circles_.begin());
            circles_.insert(circles_.begin() + ptrdiff_t(restAt), rest);
        }
        const double packed = packSiblings(circles_) * kGroupFactor;
        for (size_t i = 0; i < count; ++i) {
            const Circle& placed = circles_[i < restAt ? i : i + 1];
            PackNode& child = tree[children_[firstChild + i]];
            child.x = placed.x;
            child.y = placed.y;
        }
        children_.resize(firstChild);
        contentScale[self] = radius / packed;
        tree[self].end = uint32_t(tree.size());
        return self;
    }

  private:
    ColorMode mode_;
    double now_;
    int depthLimit_;
    int childLimit_;
    // Scratch stacks shared by every level of the recursion.
    std::vector<const FileNode*> kept_;
    std::vector<uint32_t> children_;
    std::vector<Circle> circles_;
};

} // namespace

PackTree buildPackTree(const FileNode* source, ColorMode mode, double now, int depthLimit, int childLimit) {
    if (!source) return {};
    Builder builder(mode, now, depthLimit, childLimit);
    builder.build(source, 0, 0, 0, 0);
    // Parents come before their children: one pass turns offsets from the parent, in the units of the
    // parent's packing, into offsets from the root in the root's units, which is what fitting into a
    // view needs. `factor` is what a circle's own units are worth in the root's.
    PackTree& tree = builder.tree;
    std::vector<double> factor(tree.size(), 1);
    for (size_t i = 1; i < tree.size(); ++i) {
        const uint32_t p = builder.parent[i];
        factor[i] = factor[p] * builder.contentScale[p];
        tree[i].r *= factor[i];
        tree[i].x = tree[p].x + tree[i].x * factor[i];
        tree[i].y = tree[p].y + tree[i].y * factor[i];
    }
    return std::move(tree);
}

double rootRadius(QSizeF size) {
    return std::max(std::min(size.width(), size.height()) * 0.5 - kViewMargin, kMinRootRadius);
}

std::vector<Bubble> flatten(const PackTree& tree, QSizeF size) {
    std::vector<Bubble> bubbles;
    if (tree.empty() || !(tree[0].r > 0)) return bubbles;
    const double scale = rootRadius(size) / tree[0].r;
    const double cx = size.width() * 0.5, cy = size.height() * 0.5;
    bubbles.reserve(tree.size());
    for (size_t i = 0; i < tree.size();) {
        const PackNode& p = tree[i];
        const double radius = p.r * scale;
        if (!(radius >= kMinRadius)) { // too small to see, and so is all it holds
            i = p.end;
            continue;
        }
        bubbles.push_back(
            {p.node, QPointF(cx + p.x * scale, cy + p.y * scale), radius, p.depth, p.isGroup(i), p.color});
        ++i;
    }
    return bubbles;
}

FileNode* hitTest(std::span<const Bubble> bubbles, QPointF point) {
    for (size_t i = bubbles.size(); i-- > 0;) {
        const Bubble& b = bubbles[i];
        const QPointF d = point - b.center;
        if (b.radius * b.radius >= d.x() * d.x() + d.y() * d.y()) return b.node;
    }
    return nullptr;
}

const Bubble* find(std::span<const Bubble> bubbles, const FileNode* node) {
    if (!node) return nullptr;
    const auto it =
        std::find_if(bubbles.begin(), bubbles.end(), [node](const Bubble& b) { return b.node == node; });
    return it == bubbles.end() ? nullptr : &*it;
}

std::optional<Label> labelFor(const Bubble& bubble, const QString& name, bool abbreviate) {
    const double r = bubble.radius;
    const QPointF c = bubble.center;
    Label label;
    if (bubble.depth == 0) {
        label = {abbreviate ? palette::initials(name) : name, QPointF(c.x(), c.y() - r + 14), 14};
    } else {
        // Widths are estimated from the character count: a character is 0.58 of the font size.
        const bool group = bubble.isGroup;
        if (!(r > (group ? 44 : 26))) return std::nullopt;
        const double f = group ? std::clamp(r / 9, 9.5, 14.0) : std::clamp(r / 4.2, 9.0, 14.0);
        const int budget = int(r * (group ? 1.3 : 1.7) / (f * 0.58));
        if (!abbreviate && budget < (group ? 3 : 4)) return std::nullopt;
        label = {canvas_labels::nameLine(name, budget, abbreviate),
                 group ? QPointF(c.x(), c.y() - r + f + 2) : c, f};
    }
    if (label.text.isEmpty()) return std::nullopt;
    return label;
}

} // namespace bubbles
