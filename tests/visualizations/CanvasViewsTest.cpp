#include "visualizations/SunburstView.h"
#include "visualizations/TreemapView.h"

#include "model/FileNode.h"
#include "shell/CanvasWiring.h"
#include "shell/HoverChip.h"
#include "shell/Palette.h"

#include "tests/shell/ScannedHome.h"
#include "tests/support/Mouse.h"
#include "tests/support/Screenshots.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using namespace mouse;

// As the Explore tab builds them: wired to the state object, showing its current folder.
void wire(CanvasView& view, ScanViewModel& vm) { wireCanvas(&view, vm); }

void nameAsTheAppDoes(SunburstView& view, ScanViewModel& vm) {
    view.setDisplayName([&vm](const FileNode& node) { return QString::fromStdString(vm.displayName(node.path())); });
}

// The middle of an arc, where a pointer finds it.
QPointF arcMiddle(const SunburstView& view, const sunburst::SunArc& arc) {
    const auto g = view.geometry();
    return sunburst::pointAt(g.centre, g.inner + (arc.ring + 0.5) * g.ringWidth, (arc.start + arc.end) / 2);
}

class CanvasViews : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(fixture.model().root(), nullptr);
        ThemeManager::instance().setThemeName(ThemeName::light);
    }
    void TearDown() override { ThemeManager::instance().setThemeName(ThemeName::light); }

    ScannedHome fixture;
};

// ---- Treemap ------------------------------------------------------------------------------------

TEST_F(CanvasViews, TreemapHoverClickAndDoubleClick) {
    TreemapView view;
    view.resize(900, 640);
    wire(view, fixture.model());
    const QPointF origin = view.frameRect().topLeft();
    EXPECT_EQ(origin, QPointF(13, 13));

    const auto& cells = view.items();
    ASSERT_FALSE(cells.empty());
    // A leaf and a group with its header.
    const treemap::Cell* leaf = nullptr;
    const treemap::Cell* group = nullptr;
    for (const auto& c : cells) {
        if (!c.isGroup && !leaf && c.node->parent() != fixture.model().root()) leaf = &c;
        if (c.isGroup && !group && c.rect.height() > 56 && c.rect.width() > 48) group = &c;
    }
    ASSERT_TRUE(leaf && group);

    hover(view, origin + leaf->rect.center());
    EXPECT_EQ(view.hovered(), leaf->node);
    EXPECT_EQ(view.hoverChip()->node(), leaf->node);
    EXPECT_TRUE(view.hoverChip()->isVisibleTo(&view));
    hover(view, origin + group->rect.topLeft() + QPointF(20, 8)); // the header strip
    EXPECT_EQ(view.hovered(), group->node);
    hover(view, QPointF(4, 4)); // the padding around the frame
    EXPECT_EQ(view.hovered(), nullptr);
    EXPECT_FALSE(view.hoverChip()->isVisibleTo(&view));

    click(view, origin + leaf->rect.center());
    EXPECT_EQ(fixture.model().selectedNode(), leaf->node);
    EXPECT_EQ(view.state().selected, leaf->node);
    click(view, QPointF(4, 4)); // nothing there: the selection stays
    EXPECT_EQ(fixture.model().selectedNode(), leaf->node);

    // A double click on a file only selects it; on a folder it opens it and the layout follows.
    doubleClick(view, origin + leaf->rect.center());
    EXPECT_EQ(fixture.model().currentFolder(), fixture.model().root());
    FileNode* folder = group->node;
    doubleClick(view, origin + group->rect.topLeft() + QPointF(20, 8));
    EXPECT_EQ(fixture.model().currentFolder(), folder);
    EXPECT_EQ(fixture.model().selectedNode(), folder);
}

TEST_F(CanvasViews, TreemapCacheFollowsTheKeysAndGroupsByType) {
    TreemapView view;
    view.resize(700, 500);
    wire(view, fixture.model());
    const auto* first = &view.items();
    const size_t count = first->size();
    fixture.model().setSelectedNode(fixture.node("Movies"));
    EXPECT_EQ(view.items().size(), count); // selection redraws, never relayouts
    fixture.model().setColorMode(ColorMode::type);
    bool sawCategory = false;
    for (const auto& c : view.items()) {
        if (c.node->name() == "Video") {
            sawCategory = true;
            EXPECT_TRUE(c.isGroup);
            EXPECT_EQ(treemap::labelFor(c, false).name, QStringLiteral("Video"));
        }
    }
    EXPECT_TRUE(sawCategory);
}

// ---- Sunburst -----------------------------------------------------------------------------------

TEST_F(CanvasViews, SunburstHoverCentreAndClicks) {
    SunburstView view;
    view.resize(800, 700);
    nameAsTheAppDoes(view, fixture.model());
    wire(view, fixture.model());
    const auto g = view.geometry();
    const auto& arcs = view.items();
    ASSERT_FALSE(arcs.empty());
    EXPECT_EQ(view.vizKey().width, 0); // arcs are angles: no size in the layout key

    const sunburst::SunArc& arc = arcs.front();
    const QPointF mid = arcMiddle(view, arc);
    hover(view, mid);
    EXPECT_EQ(view.hovered(), arc.node);
    EXPECT_EQ(view.centreNode(), arc.node);
    EXPECT_TRUE(view.hoverChip()->isVisibleTo(&view));

    // Inside the disc: the folder is hovered and named in the centre, without a chip.
    hover(view, g.centre);
    EXPECT_EQ(view.hovered(), fixture.model().root());
    EXPECT_FALSE(view.hoverChip()->isVisibleTo(&view));
    EXPECT_EQ(view.centreName(), QStringLiteral("Home")); // the display name of the home folder
    fixture.model().setAbbreviateLabels(true);
    EXPECT_EQ(view.centreName(), QStringLiteral("H"));

    click(view, mid);
    EXPECT_EQ(fixture.model().selectedNode(), arc.node);
    doubleClick(view, mid);
    EXPECT_EQ(fixture.model().currentFolder(), arc.node->isDirectory() ? arc.node : fixture.model().root());

    // Resizing keeps the arcs (angles) and changes only the radii.
    const auto* before = &view.items().front();
    view.resize(600, 600);
    EXPECT_EQ(&view.items().front(), before);
}

// ---- Pictures -----------------------------------------------------------------------------------

// Each view as the Explore tab shows it, in each colour mode and theme, with a selection and a hovered
// node; without a folder only the background shows.
TEST_F(CanvasViews, RenderBothViewsInEveryModeAndTheme) {
    auto& vm = fixture.model();
    for (ColorMode mode : color_mode::allCases) {
        vm.setColorMode(mode);
        const QString modeName = QString::fromUtf8(color_mode::rawValue(mode).data()).replace(' ', '-').toLower();
        for (ThemeName themeName : theme_name::allCases) {
            ThemeManager::instance().setThemeName(themeName);
            TreemapView treemap;
            SunburstView sunburst;
            nameAsTheAppDoes(sunburst, vm);
            for (CanvasView* view : {static_cast<CanvasView*>(&treemap), static_cast<CanvasView*>(&sunburst)}) {
                view->resize(958, 760);
                wire(*view, vm);
            }
            vm.setSelectedNode(fixture.node("Documents"));
            const auto& cells = treemap.items();
            ASSERT_FALSE(cells.empty());
            ASSERT_FALSE(sunburst.items().empty());
            hover(treemap, treemap.frameRect().topLeft() + cells[cells.size() / 2].rect.center());
            ASSERT_TRUE(saveScreenshot(treemap.grab().toImage(), "treemap-" + modeName, themeName));
            hover(sunburst, arcMiddle(sunburst, sunburst.items().front()));
            ASSERT_TRUE(saveScreenshot(sunburst.grab().toImage(), "sunburst-" + modeName, themeName));

            if (mode != ColorMode::folder) continue;
            // The treemap's frame is the panel inside a one-point border; the sunburst's disc is the card.
            TreemapView emptyMap;
            emptyMap.resize(400, 300);
            const QImage frame = emptyMap.grab().toImage();
            EXPECT_EQ(frame.pixelColor(200, 150).rgb(), theme().panel.rgb());
            EXPECT_EQ(frame.pixelColor(13, 150).rgb(), theme().border.rgb());
            SunburstView emptyBurst;
            emptyBurst.resize(400, 400);
            EXPECT_EQ(emptyBurst.grab().toImage().pixelColor(200, 200).rgb(), theme().card.rgb());
        }
    }
    vm.setColorMode(ColorMode::folder);
}

} // namespace
