#include "visualizations/treemap/TreemapLayout.h"

#include "shell/style/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace {

using treemap::Cell;

bool inside(const QRectF& inner, const QRectF& outer, double eps = 1e-6) {
    return inner.left() >= outer.left() - eps && inner.top() >= outer.top() - eps &&
           inner.right() <= outer.right() + eps && inner.bottom() <= outer.bottom() + eps;
}

double overlapArea(const QRectF& a, const QRectF& b) {
    const QRectF o = a.intersected(b);
    return o.width() * o.height();
}

std::vector<Cell> layout(const FileNode* source, double w, double h, int depth = 7,
                         ColorMode mode = ColorMode::folder) {
    return treemap::buildCells(source, QRectF(0, 0, w, h), depth, mode, palette::nowStamp());
}

const Cell* cellOf(const std::vector<Cell>& cells, const FileNode* node) {
    auto it = std::find_if(cells.begin(), cells.end(), [node](const Cell& c) { return c.node == node; });
    return it == cells.end() ? nullptr : &*it;
}

TEST(Squarify, TilesTheRectangleInProportionWithoutOverlap) {
    for (const QRectF& r : treemap::squarify(std::vector<double>{0, 0}, QRectF(0, 0, 10, 10)))
        EXPECT_TRUE(r.isNull());
    for (const QRectF& r : treemap::squarify(std::vector<double>{1, 2}, QRectF(0, 0, 0, 10)))
        EXPECT_TRUE(r.isNull());
    // A tie in the worst aspect ratio keeps the weight in the row: two halves stacked, not side by side.
    const auto tie = treemap::squarify(std::vector<double>{1, 1}, QRectF(0, 0, 100, 100));
    EXPECT_DOUBLE_EQ(tie[0].width(), 100);

    std::mt19937 random(7);
    std::uniform_real_distribution<double> weight(0.5, 400);
    std::vector<double> weights(300);
    for (double& w : weights)
        w = weight(random);
    std::sort(weights.rbegin(), weights.rend());
    const QRectF rect(10, 20, 640, 380);
    const auto rects = treemap::squarify(weights, rect);
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(inside(rects[i], rect)) << i;
        EXPECT_NEAR(rects[i].width() * rects[i].height(), weights[i] / total * rect.width() * rect.height(),
                    1e-6);
        for (size_t j = 0; j < i; ++j)
            EXPECT_LT(overlapArea(rects[i], rects[j]), 1e-6) << i << " " << j;
    }
}

// Folders three levels deep with files of varied sizes: cells nest inside their groups, never overlap
// their siblings, take their share of the parent's area, and the pointer finds the deepest one.
TEST(TreemapCells, NestWithoutOverlapInProportionAndHitTheDeepest) {
    TestTree t;
    std::mt19937 random(3);
    std::uniform_int_distribution<int64_t> size(1'000, 4'000'000);
    for (int a = 0; a < 5; ++a) {
        FileNode* top = t.folder(t.root(), "top" + std::to_string(a));
        for (int b = 0; b < 4; ++b) {
            FileNode* mid = t.folder(top, "mid" + std::to_string(b));
            for (int c = 0; c < 12; ++c)
                t.file(mid, "f" + std::to_string(c), size(random));
            FileNode* deep = t.folder(mid, "deep");
            for (int c = 0; c < 6; ++c)
                t.file(deep, "g" + std::to_string(c), size(random));
        }
        t.file(top, "loose", size(random));
    }
    t.finish();
    const double W = 900, H = 600;
    const auto cells = layout(t.root(), W, H);
    ASSERT_FALSE(cells.empty());
    std::map<const FileNode*, const Cell*> byNode;
    std::map<const FileNode*, std::vector<const Cell*>> siblings;
    for (const Cell& c : cells) {
        // A block of children too small to draw stands for their folder, among them.
        const FileNode* parent = c.rest ? c.node : c.node->parent();
        if (!c.rest) byNode[c.node] = &c;
        QRectF inner(3, 3, W - 6, H - 6);
        if (parent != t.root()) {
            ASSERT_TRUE(byNode.count(parent)) << c.node->path(); // pre-order: the group came earlier
            const Cell* group = byNode[parent];
            ASSERT_TRUE(group->isGroup);
            const double header = group->rect.height() > 56 && group->rect.width() > 48 ? 21 : 3;
            inner = group->rect.adjusted(3, header, -3, -3);
        }
        EXPECT_TRUE(inside(c.rect, inner)) << c.node->path();
        if (c.rest) {
            siblings[parent].push_back(&c);
            // At the top it stands for the shown folder, which the pointer never picks out.
            EXPECT_EQ(treemap::hitTest(cells, c.rect.center()), parent == t.root() ? nullptr : c.node);
            continue;
        }
        // The share before the inset is the node's part of the parent's area.
        const double share = (c.rect.width() + 3) * (c.rect.height() + 3);
        const double parentArea = inner.width() * inner.height();
        EXPECT_NEAR(share, double(c.node->sizeOnDisk) / double(parent->sizeOnDisk) * parentArea,
                    1e-6 * parentArea);
        siblings[parent].push_back(&c);
        if (c.isGroup) continue;
        EXPECT_EQ(treemap::hitTest(cells, c.rect.center()), c.node);
        // The right and bottom edges belong to the gap, which yields the enclosing group.
        const FileNode* enclosing = parent == t.root() ? nullptr : parent;
        EXPECT_EQ(treemap::hitTest(cells, QPointF(c.rect.right(), c.rect.center().y())), enclosing);
        EXPECT_EQ(treemap::hitTest(cells, QPointF(c.rect.center().x(), c.rect.bottom())), enclosing);
    }
    for (const auto& [parent, list] : siblings)
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                EXPECT_LT(overlapArea(list[i]->rect, list[j]->rect), 1e-9);
    EXPECT_TRUE(byNode.count(t.root()->children()[0]->children()[0]->children()[0])); // every level appears
    EXPECT_EQ(treemap::hitTest(cells, QPointF(1, 1)), nullptr);

    // A depth limit makes the last level leaves.
    for (const Cell& c : layout(t.root(), W, H, 2)) {
        if (c.rest) continue;
        int depth = 0;
        for (const FileNode* n = c.node; n != t.root(); n = n->parent())
            ++depth;
        EXPECT_TRUE(depth == 1 || (depth == 2 && !c.isGroup)) << c.node->path();
    }
}

TEST(TreemapCells, StopsAtTheFirstChildTooSmallToDraw) {
    // 600, 300, 100 of 1,000 bytes share a layout area of 200 x 100.
    TestTree t;
    FileNode* a = t.file(t.root(), "a", 600);
    FileNode* b = t.file(t.root(), "b", 300);
    FileNode* c = t.file(t.root(), "c", 100);
    t.finish();
    auto totalArea = [](const std::vector<Cell>& cells) {
        double sum = 0;
        for (const Cell& cell : cells)
            sum += (cell.rect.width() + 3) * (cell.rect.height() + 3);
        return sum;
    };
    auto cells = layout(t.root(), 206, 106);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_NEAR((cellOf(cells, a)->rect.width() + 3) * (cellOf(cells, a)->rect.height() + 3), 12000, 1e-6);
    EXPECT_NEAR(totalArea(cells), 20000, 1e-6);
    // Children summing to less than their folder leave the rest of the area empty.
    t.root()->sizeOnDisk = 2000;
    EXPECT_NEAR(totalArea(layout(t.root(), 206, 106)), 10000, 1e-6);

    // The first child below 6 square points ends the walk, even when a later one is larger.
    t.root()->sizeOnDisk = 1000;
    b->sizeOnDisk = 0;
    // What is left out is one block standing for the folder, drawn where the left-out children go.
    cells = layout(t.root(), 206, 106);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cellOf(cells, c), nullptr);
    EXPECT_TRUE(cells[1].rest && cells[1].node == t.root());
    EXPECT_NEAR(totalArea(cells), 20000, 1e-6);
    EXPECT_TRUE(treemap::labelFor(cells[1], false).name.isEmpty());
    // A largest child too small: the whole area is that block.
    a->sizeOnDisk = 2;
    c->sizeOnDisk = 9'998;
    t.root()->sizeOnDisk = 10'000;
    cells = layout(t.root(), 206, 106);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_TRUE(cells[0].rest);
    EXPECT_EQ(treemap::hitTest(cells, QPointF(100, 50)), nullptr); // the shown folder is not picked out

    // An empty folder, one of zero bytes, a file, nothing.
    TestTree e;
    FileNode* empty = e.folder(e.root(), "empty");
    FileNode* zero = e.folder(e.root(), "zero");
    e.file(zero, "nothing", 0);
    e.finish();
    for (const FileNode* source : {empty, zero, a, static_cast<FileNode*>(nullptr)})
        EXPECT_TRUE(layout(source, 400, 300).empty());
}

// A folder of many equal small files, each too small for the inset or even for the size rule: the
// folder's area is covered by a few blocks standing for it, whether it is the shown folder or a block in
// its parent.
TEST(TreemapCells, ManyEqualSmallFilesCoverTheirFolder) {
    TestTree t;
    FileNode* many = t.folder(t.root(), "many");
    constexpr int kFiles = 12'000;
    for (int i = 0; i < kFiles; ++i)
        t.file(many, "f" + std::to_string(i), 4096);
    t.finish();
    auto expectCovered = [&](const std::vector<Cell>& cells, const QRectF& inner, bool shown) {
        double covered = 0;
        size_t count = 0;
        for (const Cell& c : cells)
            if (c.node->parent() == many || (c.rest && c.node == many)) {
                ++count;
                covered += c.rect.width() * c.rect.height();
                EXPECT_TRUE(inside(c.rect, inner));
            }
        EXPECT_LT(count, size_t(kFiles / 20)); // runs of specks are one cell each
        // All of it, or all but a block's inset round the edge.
        const QRectF core =
            inner.adjusted(treemap::kInset, treemap::kInset, -treemap::kInset, -treemap::kInset);
        EXPECT_GE(covered, 0.99 * core.width() * core.height());
        EXPECT_LE(covered, inner.width() * inner.height() * (1 + 1e-9));
        for (double x = core.left() + 0.5; x < core.right(); x += 7.3)
            for (double y = core.top() + 0.5; y < core.bottom(); y += 5.1) {
                // Shown itself, its blocks find nothing; as a group in its parent, they find it.
                const FileNode* hit = treemap::hitTest(cells, QPointF(x, y));
                ASSERT_TRUE(hit == (shown ? nullptr : many) || (hit && hit->parent() == many))
                    << x << "," << y;
            }
    };
    // 10 square points a file (over the size rule, under the inset), then under one square point.
    for (const QRectF area : {QRectF(3, 3, 400, 300), QRectF(3, 3, 100, 100)}) {
        expectCovered(layout(many, area.width() + 6, area.height() + 6), area, true);
        const auto inParent = layout(t.root(), area.width() + 6, area.height() + 6);
        ASSERT_FALSE(inParent.empty());
        ASSERT_EQ(inParent[0].node, many);
        ASSERT_TRUE(inParent[0].isGroup);
        const double header = inParent[0].rect.height() > 56 && inParent[0].rect.width() > 48 ? 21 : 3;
        expectCovered(inParent, inParent[0].rect.adjusted(3, header, -3, -3), false);
    }
}

TEST(TreemapCells, ByAgeASmallRecentGroupNeverHidesALargeOldOne) {
    const double now = palette::nowStamp();
    TestTree t;
    t.file(t.root(), "fresh.txt", 1, FileCategory::document, now - 3600);
    FileNode* old = t.file(t.root(), "old.mov", 50'000'000, FileCategory::video, now - 900 * 86400.0);
    t.finish();
    const FileNode* groups = t.tree->ageGroups(t.root(), now);
    ASSERT_EQ(groups->children().size(), 2u);
    ASSERT_EQ(groups->children()[1]->name(), "Older"); // in section order the tiny group comes first

    const auto cells = treemap::buildCells(groups, QRectF(0, 0, 600, 400), 7, ColorMode::age, now);
    ASSERT_EQ(cells.size(), 2u); // the recent group is too small to draw; no level below the files
    EXPECT_EQ(cells[0].node, groups->children()[1]);
    EXPECT_EQ(cells[1].node, old);
}

TEST(TreemapLabels, ShortenedToFitAndAbbreviated) {
    TestTree t;
    FileNode* leaf = t.file(t.root(), "Application Support", 1234);
    FileNode* folder = t.folder(t.root(), "Library");
    t.finish();
    auto label = [](FileNode* node, QRectF rect, bool group = false, bool abbreviate = false) {
        return treemap::labelFor(Cell{rect, node, group, Qt::gray}, abbreviate);
    };
    EXPECT_TRUE(label(leaf, QRectF(0, 0, 20, 50)).name.isEmpty());
    const auto narrow = label(leaf, QRectF(0, 0, 59, 23));
    EXPECT_TRUE(narrow.name.endsWith(QChar(0x2026)) &&
                QStringLiteral("Application Support").startsWith(narrow.name.chopped(1)))
        << narrow.name.toStdString();
    EXPECT_EQ(label(leaf, QRectF(0, 0, 59, 50), false, true).name, QStringLiteral("AS"));
    // Groups never show a size.
    EXPECT_TRUE(label(folder, QRectF(0, 0, 80, 57), true).size.isEmpty());
}

} // namespace
