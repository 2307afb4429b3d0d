#include "visualizations/SunburstView.h"
#include "visualizations/TreemapView.h"

#include "model/FileNode.h"
#include "shell/CanvasWiring.h"
#include "shell/HoverChip.h"
#include "shell/Palette.h"

#include "tests/shell/ScannedHome.h"
#include "tests/visualizations/ViewTestUtil.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using namespace view_test;

// As the Explore tab builds them: wired to the state object, showing its current folder.
void wire(CanvasView& view, ScanViewModel& vm) { wireCanvas(&view, vm); }

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
    view.setDisplayName([&](const FileNode& node) {
        return QString::fromStdString(fixture.model().displayName(node.path()));
    });
    wire(view, fixture.model());
    const auto g = view.geometry();
    const auto& arcs = view.items();
    ASSERT_FALSE(arcs.empty());
    EXPECT_EQ(view.vizKey().width, 0); // arcs are angles: no size in the layout key

    const sunburst::SunArc& arc = arcs.front();
    const QPointF mid = sunburst::pointAt(g.centre, g.inner + (arc.ring + 0.5) * g.ringWidth, (arc.start + arc.end) / 2);
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

// Renders a view as the Explore tab shows it, in each colour mode and theme, with a selection and a
// hovered node, and checks the background where nothing is drawn.
template <typename View>
void renderAll(ScannedHome& fixture, const QString& name, QSize size, std::function<void(View&)> prepare,
               std::function<QPointF(View&)> hoverPoint) {
    auto& vm = fixture.model();
    vm.setCurrentFolder(fixture.model().root());
    for (ColorMode mode : color_mode::allCases) {
        vm.setColorMode(mode);
        for (ThemeName themeName : theme_name::allCases) {
            ThemeManager::instance().setThemeName(themeName);
            View view;
            view.resize(size);
            prepare(view);
            wire(view, vm);
            vm.setSelectedNode(fixture.node("Documents"));
            hover(view, hoverPoint(view));
            const QImage image = view.grab().toImage();
            const QString file = screenshotPath(QStringLiteral("%1-%2-%3.png")
                                                    .arg(name, QString::fromStdString(std::string(color_mode::rawValue(mode)))
                                                                   .replace(' ', '-').toLower(),
                                                         themeSuffix(themeName)));
            ASSERT_TRUE(image.save(file)) << file.toStdString();
            EXPECT_FALSE(view.items().empty());
        }
    }
    vm.setColorMode(ColorMode::folder);
}

TEST_F(CanvasViews, RenderTreemapInEveryModeAndTheme) {
    renderAll<TreemapView>(
        fixture, QStringLiteral("treemap"), QSize(958, 760), [](TreemapView&) {},
        [](TreemapView& view) {
            const auto& cells = view.items();
            return view.frameRect().topLeft() + cells[cells.size() / 2].rect.center();
        });
    // The frame's background is the theme's panel, inside its one-point border.
    for (ThemeName themeName : theme_name::allCases) {
        ThemeManager::instance().setThemeName(themeName);
        TreemapView view;
        view.resize(400, 300);
        const QImage image = view.grab().toImage(); // no folder: only the frame
        EXPECT_EQ(image.pixelColor(200, 150).rgb(), theme().panel.rgb());
        EXPECT_EQ(image.pixelColor(13, 150).rgb(), theme().border.rgb());
    }
}

TEST_F(CanvasViews, RenderSunburstInEveryModeAndTheme) {
    renderAll<SunburstView>(
        fixture, QStringLiteral("sunburst"), QSize(958, 760),
        [&](SunburstView& view) {
            view.setDisplayName([&](const FileNode& node) {
                return QString::fromStdString(fixture.model().displayName(node.path()));
            });
        },
        [](SunburstView& view) {
            const auto g = view.geometry();
            const auto& arc = view.items().front();
            return sunburst::pointAt(g.centre, g.inner + (arc.ring + 0.5) * g.ringWidth, (arc.start + arc.end) / 2);
        });
    for (ThemeName themeName : theme_name::allCases) {
        ThemeManager::instance().setThemeName(themeName);
        SunburstView view;
        view.resize(400, 400);
        const QImage image = view.grab().toImage(); // no folder: the centre disc only
        EXPECT_EQ(image.pixelColor(200, 200).rgb(), theme().card.rgb());
    }
}

} // namespace
