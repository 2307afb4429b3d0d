#include "visualizations/TreemapLayout.h"

#include "shell/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace {

using treemap::Cell;

void expectRect(const QRectF& actual, const QRectF& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

bool inside(const QRectF& inner, const QRectF& outer, double eps = 1e-6) {
    return inner.left() >= outer.left() - eps && inner.top() >= outer.top() - eps &&
           inner.right() <= outer.right() + eps && inner.bottom() <= outer.bottom() + eps;
}

std::vector<Cell> layout(const FileNode* source, double w, double h, int depth = 7, ColorMode mode = ColorMode::folder) {
    return treemap::buildCells(source, QRectF(0, 0, w, h), depth, mode, palette::nowStamp());
}

const Cell* cellOf(const std::vector<Cell>& cells, const FileNode* node) {
    for (const Cell& c : cells)
        if (c.node == node) return &c;
    return nullptr;
}

// ---- squarify -----------------------------------------------------------------------------------

TEST(Squarify, RowsTieBreaksAndOrientation) {
    auto sq = [](std::vector<double> w, QRectF r) { return treemap::squarify(w, r); };
    EXPECT_TRUE(sq({}, QRectF(0, 0, 10, 10)).empty());
    expectRect(sq({5}, QRectF(2, 3, 40, 10))[0], QRectF(2, 3, 40, 10));
    for (const QRectF& r : sq({0, 0}, QRectF(0, 0, 10, 10))) EXPECT_TRUE(r.isNull());
    for (const QRectF& r : sq({1, 2}, QRectF(0, 0, 0, 10))) EXPECT_TRUE(r.isNull());

    // Equal worst ratio (2.0) takes the second weight: one column of thickness 100.
    auto square = sq({1, 1}, QRectF(0, 0, 100, 100));
    expectRect(square[0], QRectF(0, 0, 100, 50));
    expectRect(square[1], QRectF(0, 50, 100, 50));
    // A worse ratio (1.0 -> 4.0) refuses it.
    auto wide = sq({1, 1}, QRectF(0, 0, 200, 100));
    expectRect(wide[0], QRectF(0, 0, 100, 100));
    expectRect(wide[1], QRectF(100, 0, 100, 100));
    auto three = sq({2, 1, 1}, QRectF(0, 0, 200, 100));
    expectRect(three[0], QRectF(0, 0, 100, 100));
    expectRect(three[1], QRectF(100, 0, 100, 50));
    expectRect(three[2], QRectF(100, 50, 100, 50));
    // Taller than wide: the first row runs along the top edge.
    auto tall = sq({1, 1}, QRectF(0, 0, 100, 200));
    expectRect(tall[0], QRectF(0, 0, 100, 100));
    expectRect(tall[1], QRectF(0, 100, 100, 100));
}

TEST(Squarify, TilesTheRectangleWithAreasInProportion) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> weight(0.5, 400);
    std::vector<double> weights(300);
    for (double& w : weights) w = weight(random);
    std::sort(weights.rbegin(), weights.rend());
    const QRectF rect(10, 20, 640, 380);
    const auto rects = treemap::squarify(weights, rect);
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double covered = 0;
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(inside(rects[i], rect)) << i;
        EXPECT_NEAR(rects[i].width() * rects[i].height(), weights[i] / total * rect.width() * rect.height(), 1e-6);
        covered += rects[i].width() * rects[i].height();
        for (size_t j = 0; j < i; ++j) {
            const QRectF overlap = rects[i].intersected(rects[j]);
            EXPECT_LT(overlap.width() * overlap.height(), 1e-6) << i << " " << j;
        }
    }
    EXPECT_NEAR(covered, rect.width() * rect.height(), 1e-4);
}

// ---- Cells --------------------------------------------------------------------------------------

// A tree of folders three levels deep with files of varied sizes.
class TreemapTree : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(3);
        std::uniform_int_distribution<int64_t> size(1'000, 4'000'000);
        const FileCategory categories[] = {FileCategory::video, FileCategory::image, FileCategory::document,
                                           FileCategory::developer, FileCategory::archive};
        for (int a = 0; a < 5; ++a) {
            FileNode* top = t.folder(t.root(), "top" + std::to_string(a));
            for (int b = 0; b < 4; ++b) {
                FileNode* mid = t.folder(top, "mid" + std::to_string(b));
                for (int c = 0; c < 12; ++c)
                    t.file(mid, "f" + std::to_string(c), size(random), categories[(a + c) % 5]);
                FileNode* deep = t.folder(mid, "deep");
                for (int c = 0; c < 6; ++c) t.file(deep, "g" + std::to_string(c), size(random));
            }
            t.file(top, "loose", size(random), FileCategory::video);
        }
        t.finish();
    }
    TestTree t;
};

TEST_F(TreemapTree, CellsNestInsideTheirGroupsWithoutOverlapAndInProportion) {
    const double W = 900, H = 600;
    const auto cells = layout(t.root(), W, H);
    ASSERT_FALSE(cells.empty());
    std::map<const FileNode*, const Cell*> byNode;
    for (const Cell& c : cells) byNode[c.node] = &c;

    const QRectF area(3, 3, W - 6, H - 6);
    std::map<const FileNode*, std::vector<const Cell*>> siblings;
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell& c = cells[i];
        const FileNode* parent = c.node->parent();
        QRectF inner = area;
        double parentArea = area.width() * area.height();
        int64_t parentSize = t.root()->sizeOnDisk;
        if (parent != t.root()) {
            // Pre-order: the parent's group cell came earlier.
            ASSERT_TRUE(byNode.count(parent)) << c.node->path();
            const Cell* group = byNode[parent];
            ASSERT_TRUE(group->isGroup);
            ASSERT_LT(group - cells.data(), ptrdiff_t(i));
            const double header = group->rect.height() > 56 && group->rect.width() > 48 ? 21 : 3;
            inner = QRectF(group->rect.x() + 3, group->rect.y() + header, group->rect.width() - 6,
                           group->rect.height() - header - 3);
            parentArea = inner.width() * inner.height();
            parentSize = parent->sizeOnDisk;
        }
        EXPECT_TRUE(inside(c.rect, inner)) << c.node->path();
        // The share before the 1.5-point inset is the node's part of the parent's area.
        const double share = (c.rect.width() + 3) * (c.rect.height() + 3);
        EXPECT_NEAR(share, double(c.node->sizeOnDisk) / double(parentSize) * parentArea, 1e-6 * parentArea);
        EXPECT_GE(c.rect.width(), 1.5);
        EXPECT_GE(c.rect.height(), 1.5);
        siblings[parent].push_back(&c);
    }
    for (const auto& [parent, list] : siblings)
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = 0; j < i; ++j) {
                const QRectF overlap = list[i]->rect.intersected(list[j]->rect);
                EXPECT_LT(overlap.width() * overlap.height(), 1e-9);
            }
    // Deep enough and large enough: every level appears.
    EXPECT_TRUE(byNode.count(t.root()->children()[0]->children()[0]->children()[0]));
}

TEST_F(TreemapTree, DepthLimitMakesTheLastLevelLeaves) {
    const auto cells = layout(t.root(), 900, 600, 2);
    bool sawGroup = false;
    for (const Cell& c : cells) {
        int depth = 0;
        for (const FileNode* n = c.node; n != t.root(); n = n->parent()) ++depth;
        EXPECT_LE(depth, 2) << c.node->path();
        if (depth == 2) {
            EXPECT_FALSE(c.isGroup) << c.node->path();
        }
        sawGroup |= c.isGroup;
    }
    EXPECT_TRUE(sawGroup);
}

TEST_F(TreemapTree, HitTestFindsTheDeepestCellAndExcludesMaximumEdges) {
    const auto cells = layout(t.root(), 900, 600);
    for (const Cell& c : cells) {
        if (c.isGroup) continue;
        EXPECT_EQ(treemap::hitTest(cells, c.rect.center()), c.node);
        // The right edge belongs to the gap, which yields the enclosing group (or nothing at the top).
        const FileNode* expected = c.node->parent() == t.root() ? nullptr : c.node->parent();
        EXPECT_EQ(treemap::hitTest(cells, QPointF(c.rect.right(), c.rect.center().y())), expected);
        EXPECT_EQ(treemap::hitTest(cells, QPointF(c.rect.center().x(), c.rect.bottom())), expected);
    }
    const Cell& group = *std::find_if(cells.begin(), cells.end(), [](const Cell& c) { return c.isGroup; });
    EXPECT_EQ(treemap::hitTest(cells, group.rect.topLeft() + QPointF(4, 4)), group.node); // its header
    EXPECT_EQ(treemap::hitTest(cells, QPointF(1, 1)), nullptr);                            // the frame's border
}

TEST(TreemapCells, TheSixSquarePointRuleAndTheRemainder) {
    // 600, 300, 100 of 1,000 bytes share the whole area.
    TestTree t;
    FileNode* a = t.file(t.root(), "a", 600);
    FileNode* b = t.file(t.root(), "b", 300);
    FileNode* c = t.file(t.root(), "c", 100);
    t.finish();
    const double W = 206, H = 106; // layout area 200 x 100
    auto cells = layout(t.root(), W, H);
    ASSERT_EQ(cells.size(), 3u);
    auto area = [](const Cell* cell) { return (cell->rect.width() + 3) * (cell->rect.height() + 3); };
    EXPECT_NEAR(area(cellOf(cells, a)), 12000, 1e-6);
    EXPECT_NEAR(area(cellOf(cells, b)), 6000, 1e-6);
    EXPECT_NEAR(area(cellOf(cells, c)), 2000, 1e-6);

    // The same folder at 2,000 bytes leaves half the area empty.
    t.root()->sizeOnDisk = 2000;
    cells = layout(t.root(), W, H);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_NEAR(area(cellOf(cells, a)) + area(cellOf(cells, b)) + area(cellOf(cells, c)), 10000, 1e-6);

    // The first child below 6 square points ends the walk, even when a later one is larger.
    t.root()->sizeOnDisk = 1000;
    b->sizeOnDisk = 0; // 0 square points, stored before c
    cells = layout(t.root(), W, H);
    EXPECT_EQ(cells.size(), 1u);
    EXPECT_EQ(cellOf(cells, c), nullptr);

    // A largest child under 6 square points: nothing at all, though the folder is not empty.
    a->sizeOnDisk = 2;
    t.root()->sizeOnDisk = 10'000;
    EXPECT_TRUE(layout(t.root(), W, H).empty());

    // Empty, zero-sized, a file, nothing: no cells.
    TestTree e;
    FileNode* empty = e.folder(e.root(), "empty");
    FileNode* zero = e.folder(e.root(), "zero");
    e.file(zero, "nothing", 0);
    FileNode* file = e.file(e.root(), "file", 100);
    e.finish();
    for (const FileNode* source : {empty, zero, file, static_cast<FileNode*>(nullptr)})
        EXPECT_TRUE(layout(source, 400, 300).empty());
}

TEST(TreemapCells, GroupThresholdsAndHeaders) {
    // One folder filling the area: its cell is the frame minus 3 + 1.5 points on each side.
    TestTree t;
    FileNode* folder = t.folder(t.root(), "folder");
    FileNode* inner = t.file(folder, "inner", 10);
    t.finish();
    auto cellsFor = [&](double cellW, double cellH) { return layout(t.root(), cellW + 9, cellH + 9); };

    auto cells = cellsFor(26, 40);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_FALSE(cells[0].isGroup);

    cells = cellsFor(27, 40); // a group with the thin header
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_TRUE(cells[0].isGroup);
    EXPECT_NEAR(cells[1].rect.top(), cells[0].rect.top() + 3 + 1.5, 1e-9);

    cells = cellsFor(49, 57); // the full header
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[1].node, inner);
    EXPECT_NEAR(cells[1].rect.top(), cells[0].rect.top() + 21 + 1.5, 1e-9);
    EXPECT_NEAR(cells[1].rect.left(), cells[0].rect.left() + 3 + 1.5, 1e-9);
}

TEST(TreemapCells, ColoursPerMode) {
    TestTree t;
    FileNode* folder = t.folder(t.root(), "folder");
    FileNode* k0 = t.file(folder, "k0.mov", 400, FileCategory::video);
    FileNode* k1 = t.file(folder, "k1.mov", 300, FileCategory::video);
    FileNode* k2 = t.file(folder, "k2.mov", 200, FileCategory::video);
    FileNode* undated = t.file(t.root(), "undated", 600, FileCategory::document, 0);
    t.finish();

    auto cells = layout(t.root(), 600, 400, 7, ColorMode::type);
    const QColor video = palette::categoryColor(FileCategory::video);
    EXPECT_EQ(cellOf(cells, folder)->color, video); // the folder's dominant category, depth 1
    EXPECT_DOUBLE_EQ(cellOf(cells, k0)->color.alphaF(), 1.0);
    EXPECT_NEAR(cellOf(cells, k1)->color.alphaF(), 0.8, 1e-3);
    EXPECT_DOUBLE_EQ(cellOf(cells, k2)->color.alphaF(), 1.0);

    cells = layout(t.root(), 600, 400, 7, ColorMode::folder);
    const int top = int(std::find(t.root()->children().begin(), t.root()->children().end(), folder) -
                        t.root()->children().begin());
    EXPECT_EQ(cellOf(cells, folder)->color, palette::folderColor(top, top, 1));
    EXPECT_EQ(cellOf(cells, k2)->color, palette::folderColor(top, 2, 2));

    cells = layout(t.root(), 600, 400, 7, ColorMode::age);
    QColor old = palette::agePalette()[5];
    old.setAlphaF(0.55f);
    EXPECT_EQ(cellOf(cells, undated)->color, old);
}

TEST(TreemapCells, ByAgeASmallRecentGroupNeverHidesALargeOldOne) {
    const double now = palette::nowStamp();
    TestTree t;
    t.file(t.root(), "fresh.txt", 1, FileCategory::document, now - 3600);            // "Last 7 days"
    FileNode* old = t.file(t.root(), "old.mov", 50'000'000, FileCategory::video, now - 900 * 86400.0); // "Older"
    t.finish();
    const FileNode* groups = t.tree->ageGroups(t.root(), now);
    ASSERT_EQ(groups->children().size(), 2u);
    ASSERT_EQ(groups->children()[0]->name(), "Last 7 days"); // section order: the tiny group comes first

    const auto cells = treemap::buildCells(groups, QRectF(0, 0, 600, 400), 7, ColorMode::age, now);
    const Cell* oldCell = cellOf(cells, old);
    ASSERT_NE(oldCell, nullptr);
    EXPECT_EQ(cells[0].node->name(), "Older");
    EXPECT_TRUE(cells[0].isGroup);
    // The recent group is too small to draw, and stays out.
    for (const Cell& c : cells) EXPECT_NE(c.node->name(), "Last 7 days");
    // Regroupings never go deeper than groups and their files.
    for (const Cell& c : cells) EXPECT_TRUE(c.node == old || c.node == groups->children()[1]);
}

TEST(TreemapLabels, ThresholdsBudgetsAndInitials) {
    TestTree t;
    FileNode* leaf = t.file(t.root(), "Application Support", 1234);
    FileNode* fourteen = t.file(t.root(), "abcdefghijklmn", 1);
    FileNode* folder = t.folder(t.root(), "Library");
    t.finish();
    auto label = [](FileNode* node, QRectF rect, bool group = false, bool abbreviate = false) {
        return treemap::labelFor(Cell{rect, node, group, Qt::gray}, abbreviate);
    };
    EXPECT_TRUE(label(leaf, QRectF(0, 0, 20, 50)).name.isEmpty());
    EXPECT_TRUE(label(leaf, QRectF(0, 0, 80, 10)).name.isEmpty());
    // Too narrow for the whole name: cut with an ellipsis; the size line needs more height.
    auto small = label(leaf, QRectF(0, 0, 59, 23));
    EXPECT_TRUE(small.name.endsWith(QChar(0x2026)) && QStringLiteral("Application Support").startsWith(small.name.chopped(1)))
        << small.name.toStdString();
    EXPECT_TRUE(small.size.isEmpty());
    EXPECT_EQ(label(leaf, QRectF(0, 0, 59, 80)).size, QStringLiteral("1.23 KB"));
    EXPECT_EQ(label(fourteen, QRectF(0, 0, 100, 50)).name, QStringLiteral("abcdefghijklmn"));
    // Abbreviated: initials whatever the budget; the size line stays.
    auto abbreviated = label(leaf, QRectF(0, 0, 59, 50), false, true);
    EXPECT_EQ(abbreviated.name, QStringLiteral("AS"));
    EXPECT_EQ(abbreviated.size, QStringLiteral("1.23 KB"));

    // Groups: a name only in the full header strip, and never a size line.
    EXPECT_EQ(label(folder, QRectF(0, 0, 80, 57), true).name, QStringLiteral("Library"));
    EXPECT_TRUE(label(folder, QRectF(0, 0, 80, 57), true).size.isEmpty());
    EXPECT_TRUE(label(folder, QRectF(0, 0, 80, 30), true).name.isEmpty());
}

} // namespace
