#include "visualizations/flame/FlameGraphLayout.h"

#include "model/FileNode.h"
#include "shell/style/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace {

using flame::Block;

std::vector<Block> blocksOf(const FileNode* source, int depth, double width,
                            ColorMode mode = ColorMode::folder) {
    return flame::layout(source, depth, mode, width, palette::nowStamp());
}

// A scanned-like tree of random shape: sizes over seven orders of magnitude, empty files and folders,
// a few wide folders.
void grow(TestTree& t, FileNode* folder, int level, std::mt19937& random) {
    std::uniform_int_distribution<int> count(0, level == 0 ? 12 : 7), magnitude(0, 7), kind(0, 9);
    const int n = count(random);
    for (int i = 0; i < n; ++i) {
        const std::string name = "n" + std::to_string(i);
        if (level < 6 && kind(random) < 3)
            grow(t, t.folder(folder, name), level + 1, random);
        else
            t.file(folder, name, kind(random) == 0 ? 0 : int64_t(std::pow(10.0, magnitude(random))) + i);
    }
    if (random() % 9 == 0) // wide: more children than points
        for (int i = 0; i < 3000; ++i)
            t.file(folder, "w" + std::to_string(i), 1 + random() % 5000);
}

// The properties every layout keeps, whatever the tree, width and depth: the folder spans row 0;
// every other block lies inside its parent's span, one row down; blocks of a row never overlap; each
// folder's laid-out children are the first of its children, and the run ends exactly at the first
// child below one point (or at the depth limit).
TEST(FlameLayout, InvariantsHoldOverRandomTrees) {
    std::mt19937 random(15);
    for (int round = 0; round < 60; ++round) {
        TestTree t;
        grow(t, t.root(), 0, random);
        t.finish();
        const double width = 200 + random() % 1800 + (random() % 100) / 100.0;
        const int depth = 1 + int(random() % 10);
        const auto blocks = blocksOf(t.root(), depth, width);
        SCOPED_TRACE(testing::Message() << "round " << round << ", width " << width << ", depth " << depth);
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks[0].node, t.root());
        EXPECT_EQ(blocks[0].row, 0);
        EXPECT_EQ(blocks[0].x, 0);
        EXPECT_EQ(blocks[0].width, width);

        std::map<const FileNode*, const Block*> blockOf;
        std::map<const FileNode*, std::vector<const FileNode*>> laidOut; // children in list order
        std::map<int, std::vector<const Block*>> rows;
        for (const Block& b : blocks) {
            EXPECT_TRUE(blockOf.emplace(b.node, &b).second) << "a node laid out twice";
            rows[b.row].push_back(&b);
            if (b.row == 0) continue;
            EXPECT_GE(b.width, flame::kMinBlockWidth);
            EXPECT_LE(b.row, depth);
            const auto parent = blockOf.find(b.node->parent()); // pre-order: the parent came first
            ASSERT_NE(parent, blockOf.end());
            EXPECT_EQ(b.row, parent->second->row + 1);
            EXPECT_GE(b.x, parent->second->x - 1e-9);
            EXPECT_LE(b.x + b.width, parent->second->x + parent->second->width + 1e-9);
            laidOut[b.node->parent()].push_back(b.node);
        }
        for (auto& [row, inRow] : rows) {
            std::sort(inRow.begin(), inRow.end(), [](auto* a, auto* b) { return a->x < b->x; });
            for (size_t i = 1; i < inRow.size(); ++i)
                EXPECT_GE(inRow[i]->x, inRow[i - 1]->x + inRow[i - 1]->width - 1e-9) << "row " << row;
        }
        for (const Block& b : blocks) {
            if (!b.node->isDirectory() || b.row >= depth || b.node->sizeOnDisk <= 0) continue;
            const auto kids = b.node->children();
            const auto& shown = laidOut[b.node];
            ASSERT_LE(shown.size(), kids.size());
            EXPECT_TRUE(std::equal(shown.begin(), shown.end(), kids.begin())) << "not the first children";
            if (shown.size() < kids.size()) {
                EXPECT_LT(double(kids[shown.size()]->sizeOnDisk) / double(b.node->sizeOnDisk) * b.width,
                          flame::kMinBlockWidth);
            }
        }
        for (const Block& b : blocks)
            if (b.row == depth) {
                EXPECT_EQ(laidOut.count(b.node), 0u) << "children below the depth limit";
            }
    }
}

// A child of exactly one point is laid out; one of 0.99 points ends the run, and every later sibling
// is left out whatever its size; what they would take of the span stays empty.
TEST(FlameLayout, TheRunStopsAtTheFirstChildUnderOnePoint) {
    TestTree t;
    FileNode* big = t.file(t.root(), "big", 99'603);
    FileNode* exact = t.file(t.root(), "exact", 100);
    FileNode* under = t.file(t.root(), "under", 99);
    t.file(t.root(), "under2", 99);
    FileNode* last = t.file(t.root(), "last", 99);
    t.finish();
    ASSERT_EQ(t.root()->sizeOnDisk, 100'000);
    auto blocks = blocksOf(t.root(), 3, 1000);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1].node, big);
    EXPECT_EQ(blocks[2].node, exact);
    EXPECT_DOUBLE_EQ(blocks[2].width, 1.0);
    EXPECT_EQ(flame::hitTest(blocks, QPointF(999.5, 70)), nullptr); // the empty rest of the span

    // Stored out of size order (a larger sibling after the narrow one): still left out.
    auto kids = t.root()->mutableChildren();
    std::iter_swap(std::find(kids.begin(), kids.end(), under), std::find(kids.begin(), kids.end(), exact));
    last->sizeOnDisk = 5000; // now 5 points wide, and still after the narrow one
    blocks = blocksOf(t.root(), 3, 1000);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].node, big);
}

TEST(FlameLayout, EmptyFolderDepthLimitAndZeroSizedFolders) {
    TestTree t;
    FileNode* empty = t.folder(t.root(), "empty");
    FileNode* a = t.folder(t.root(), "a");
    FileNode* b = t.folder(a, "b");
    t.file(b, "f", 4000);
    t.file(t.folderAt("a/zero"), "nothing", 0);
    t.finish();

    // An empty folder: only its own block, across the whole width.
    auto blocks = blocksOf(empty, 7, 640);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].width, 640);

    // Rows 0 to the depth limit, and no block for the folder of 0 bytes.
    for (int depth : {1, 2, 3, 7}) {
        blocks = blocksOf(t.root(), depth, 640);
        const int deepest = std::max_element(blocks.begin(), blocks.end(), [](auto& x, auto& y) {
                                return x.row < y.row;
                            })->row;
        EXPECT_EQ(deepest, std::min(depth, 3));
        EXPECT_TRUE(
            std::none_of(blocks.begin(), blocks.end(), [](auto& x) { return x.node->sizeOnDisk == 0; }));
    }
    EXPECT_EQ(flame::contentHeight(7), 8 * flame::kRowPitch);
    EXPECT_EQ(flame::contentWidth(900), 900 - 2 * flame::kPadding);
    EXPECT_EQ(flame::contentWidth(100), flame::kMinContentWidth); // a narrow view clips, never squeezes
}

// Slots are half-open: the right edge of one block is the left edge of the next, and the one-point
// gaps around a drawn block belong to it.
TEST(FlameLayout, HitSlotsAreHalfOpen) {
    TestTree t;
    FileNode* a = t.folder(t.root(), "a");
    FileNode* a1 = t.file(a, "a1", 300);
    FileNode* a2 = t.file(a, "a2", 300);
    FileNode* b = t.file(t.root(), "b", 400);
    t.finish();
    const auto blocks = blocksOf(t.root(), 5, 1000); // a: 0-600, b: 600-1000; a1 0-300, a2 300-600
    const double pitch = flame::kRowPitch;
    struct Case {
        QPointF point;
        const FileNode* expected;
    } cases[] = {
        {{0, 0}, t.root()},
        {{999.99, pitch - 0.01}, t.root()},
        {{1000, 10}, nullptr}, // the right end is outside
        {{500, -0.01}, nullptr},
        {{599.99, pitch}, a},
        {{600, pitch}, b},
        {{600, pitch + 0.5}, b},       // in the gap above the drawn block
        {{600.5, 2 * pitch - 0.5}, b}, // in the gap at its left and below
        {{300, 2 * pitch}, a2},        // the next row starts at exactly 2 x pitch
        {{299.99, 3 * pitch - 0.01}, a1},
        {{700, 2 * pitch + 1}, nullptr}, // b is a file: nothing under it
        {{300, 3 * pitch}, nullptr},     // below the deepest row
    };
    for (const Case& c : cases)
        EXPECT_EQ(flame::hitTest(blocks, c.point), c.expected) << c.point.x() << ", " << c.point.y();
    // The drawn rectangle keeps its slot's gap on every side.
    for (const Block& block : blocks) {
        const QRectF drawn = flame::drawnRect(block);
        EXPECT_EQ(flame::hitTest(blocks, drawn.topLeft() - QPointF(0.5, 0.5)), block.node);
        EXPECT_EQ(flame::hitTest(blocks, drawn.center()), block.node);
    }
}

// A regrouping's section too narrow to draw is left out without hiding a larger one after it; colours follow
// the top-level branch under "By folder" and the sibling's parity deeper under "By type".
TEST(FlameLayout, RegroupingsAndColours) {
    TestTree t;
    const double now = palette::nowStamp(), day = 86400;
    FileNode* docs = t.folder(t.root(), "docs");
    t.file(docs, "recent.pdf", 2, FileCategory::document, now - 2 * day); // tiny and newest
    t.file(docs, "old.pdf", 9000, FileCategory::document, now - 1000 * day);
    FileNode* media = t.folder(t.root(), "media");
    for (int i = 0; i < 4; ++i)
        t.file(media, "clip" + std::to_string(i), 5000 - 100 * i, FileCategory::video, now - 400 * day);
    t.finish();

    const FileNode* byAge = t.tree->ageGroups(t.root(), now);
    ASSERT_TRUE(byAge->isVirtual());
    auto blocks = flame::layout(byAge, 7, ColorMode::age, 1000, now);
    // "Last 7 days" (2 bytes, under a point) comes first in section order, yet the larger ones show.
    std::vector<std::string_view> sections;
    for (const Block& b : blocks)
        if (b.row == 1) sections.push_back(b.node->name());
    EXPECT_EQ(sections, (std::vector<std::string_view>{"Last 2 years", "Older"}));
    EXPECT_EQ(blocks[0].node, byAge);

    blocks = flame::layout(t.root(), 7, ColorMode::folder, 1000, now);
    std::map<const FileNode*, int> top; // the row-1 ancestor's index
    for (const Block& b : blocks) {
        if (b.row == 0) continue;
        const FileNode* branch = b.node;
        while (branch->parent() != t.root())
            branch = branch->parent();
        const auto siblings = b.node->parent()->children();
        const int index = int(std::find(siblings.begin(), siblings.end(), b.node) - siblings.begin());
        const auto roots = t.root()->children();
        const int topIndex = int(std::find(roots.begin(), roots.end(), branch) - roots.begin());
        EXPECT_EQ(b.color, palette::folderColor(topIndex, index, b.row)) << b.node->path();
    }

    blocks = flame::layout(t.root(), 7, ColorMode::type, 1000, now);
    for (const Block& b : blocks)
        if (b.row >= 2 && b.node->parent() == media) {
            const auto siblings = media->children();
            const auto index = std::find(siblings.begin(), siblings.end(), b.node) - siblings.begin();
            EXPECT_EQ(b.color.alphaF() < 1, index % 2 == 1) << b.node->path();
        }
}

TEST(FlameLayout, LabelsNeedRoomAndKeepToTheirBudget) {
    auto blockOf = [](double slot, int row = 1) { return Block{nullptr, row, 0, slot, {}}; };
    struct Case {
        double slot; // the drawn width is two points less
        bool abbreviate;
        QString expected;
    } cases[] = {
        {46, false, ""},                       // drawn 44: no label
        {46, true, ""},                        // not even initials
        {47, false, QStringLiteral("Pro…")},   // drawn 45: budget 4
        {62, false, QStringLiteral("Proje…")}, // drawn 60: budget 6
        {122, false, QStringLiteral("Project files")},
        {62, true, QStringLiteral("PF")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(flame::labelFor(blockOf(c.slot), QStringLiteral("Project files"),
                                  QStringLiteral("Project files"), c.abbreviate),
                  c.expected)
            << c.slot << " " << c.abbreviate;
    // The folder's row names its path, cut at the front's budget; abbreviated, the folder's initials.
    EXPECT_EQ(flame::labelFor(blockOf(80, 0), "/home/ann/Projects", "Projects", false),
              QStringLiteral("/home/an…"));
    EXPECT_EQ(flame::labelFor(blockOf(80, 0), "/home/ann/Projects", "Projects", true), QStringLiteral("P"));
}

} // namespace
