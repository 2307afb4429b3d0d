// The order in which each canvas layout takes the groups of a "By type" or "By age" regrouping.
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/style/Palette.h"
#include "visualizations/bubbles/BubblesLayout.h"
#include "visualizations/flame/FlameGraphLayout.h"
#include "visualizations/mindmap/MindMapLayout.h"
#include "visualizations/sunburst/SunburstLayout.h"
#include "visualizations/treemap/TreemapLayout.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// The first-level nodes of a layout, in its order.
template <typename Items, typename IsFirstLevel> Names firstLevel(const Items& items, IsFirstLevel isFirst) {
    Names names;
    for (const auto& item : items)
        if (isFirst(item)) names.emplace_back(item.node->name());
    return names;
}

// Three groups whose sizes fall against their declared order, the first one too small for the sunburst
// and the flame graph to draw: it is left out without hiding the larger groups after it. Only the
// treemap, whose squarified rows need falling sizes, takes them largest first.
TEST(GroupOrder, EveryViewButTheTreemapTakesTheDeclaredOrder) {
    const double now = palette::nowStamp(), day = 86400;
    TestTree t;
    t.file(t.root(), "clip", 1, FileCategory::video, now - 1 * day);
    t.file(t.root(), "report", 3000, FileCategory::document, now - 200 * day);
    t.file(t.root(), "bundle", 9000, FileCategory::archive, now - 1000 * day);
    t.finish();

    struct Case {
        ColorMode mode;
        const FileNode* groups;
        Names declared;
    };
    for (const Case& c :
         {Case{ColorMode::type, t.tree->categoryGroups(t.root()), {"Video", "Document", "Archive"}},
          Case{ColorMode::age, t.tree->ageGroups(t.root(), now), {"Last 7 days", "Last year", "Older"}}}) {
        ASSERT_TRUE(c.groups->isVirtual());
        const Names drawnDeclared(c.declared.begin() + 1, c.declared.end()); // without the tiny group
        const char* mode = c.mode == ColorMode::type ? "type" : "age";

        EXPECT_EQ(firstLevel(bubbles::buildPackTree(c.groups, c.mode, now),
                             [](const bubbles::PackNode& n) { return n.depth == 1; }),
                  c.declared)
            << mode;
        EXPECT_EQ(firstLevel(mind_map::computeBranches(c.groups, c.mode, QSizeF(900, 700), now),
                             [](const mind_map::Branch& b) { return b.depth == 1; }),
                  c.declared)
            << mode;
        EXPECT_EQ(firstLevel(sunburst::buildArcs(c.groups, 7, c.mode, now),
                             [](const sunburst::SunArc& a) { return a.ring == 0; }),
                  drawnDeclared)
            << mode;
        EXPECT_EQ(firstLevel(flame::layout(c.groups, 7, c.mode, 1000, now),
                             [](const flame::Block& b) { return b.row == 1; }),
                  drawnDeclared)
            << mode;
        EXPECT_EQ(
            firstLevel(treemap::buildCells(c.groups, QRectF(0, 0, 600, 400), 7, c.mode, now),
                       [&](const treemap::Cell& cell) { return cell.depth == 1 && cell.node != c.groups; }),
            Names(drawnDeclared.rbegin(), drawnDeclared.rend()))
            << mode;
    }
}

} // namespace
