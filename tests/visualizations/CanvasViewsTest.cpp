#include "visualizations/sunburst/SunburstView.h"
#include "visualizations/treemap/TreemapView.h"

#include "model/FileNode.h"
#include "shell/actions/CanvasWiring.h"
#include "shell/controls/HoverChip.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"

#include "tests/shell/ScannedHome.h"
#include "tests/support/InkContrast.h"
#include "tests/support/Mouse.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestTree.h"
#include "tests/visualizations/Pictures.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

using namespace mouse;

QPointF arcMiddle(const SunburstView& view, const sunburst::SunArc& arc) {
    const auto g = view.geometry();
    return sunburst::pointAt(g.centre, g.inner + (arc.ring + 0.5) * g.ringWidth, (arc.start + arc.end) / 2);
}

class CanvasViews : public ScannedHomeTest {};

TEST_F(CanvasViews, TreemapHoverClickAndDoubleClick) {
    TreemapView view;
    view.resize(900, 640);
    wireCanvas(&view, vm());
    const QPointF origin = view.frameRect().topLeft();
    const treemap::Cell* leaf = nullptr;
    const treemap::Cell* group = nullptr; // one with a header strip to point at
    for (const auto& c : view.items()) {
        if (!c.isGroup && !leaf && c.node->parent() != vm().root()) leaf = &c;
        if (c.isGroup && !group && c.rect.height() > 56 && c.rect.width() > 48) group = &c;
    }
    ASSERT_TRUE(leaf && group);
    const QPointF header = origin + group->rect.topLeft() + QPointF(20, 8);
    FileNode* folder = group->node;

    hover(view, origin + leaf->rect.center());
    EXPECT_EQ(view.hovered(), leaf->node);
    EXPECT_EQ(view.hoverChip()->node(), leaf->node);
    EXPECT_TRUE(view.hoverChip()->isVisibleTo(&view));
    hover(view, header);
    EXPECT_EQ(view.hovered(), folder);
    hover(view, QPointF(4, 4)); // outside the frame
    EXPECT_EQ(view.hovered(), nullptr);
    EXPECT_FALSE(view.hoverChip()->isVisibleTo(&view));

    click(view, origin + leaf->rect.center());
    EXPECT_EQ(vm().selectedNode(), leaf->node);
    click(view, QPointF(4, 4)); // nothing there: the selection stays
    EXPECT_EQ(vm().selectedNode(), leaf->node);
    doubleClick(view, origin + leaf->rect.center()); // a file is only selected
    EXPECT_EQ(vm().currentFolder(), vm().root());
    doubleClick(view, header);
    EXPECT_EQ(vm().currentFolder(), folder);
    EXPECT_EQ(vm().selectedNode(), folder);
}

TEST_F(CanvasViews, SunburstHoverCentreAndClicks) {
    SunburstView view;
    view.resize(800, 700);
    wireCanvas(&view, vm());
    ASSERT_FALSE(view.items().empty());
    const sunburst::SunArc& arc = view.items().front();
    const QPointF mid = arcMiddle(view, arc);
    hover(view, mid);
    EXPECT_EQ(view.hovered(), arc.node);
    EXPECT_EQ(view.centreNode(), arc.node);
    EXPECT_TRUE(view.hoverChip()->isVisibleTo(&view));
    // Inside the disc: the folder itself, named in the centre, without a chip.
    hover(view, view.geometry().centre);
    EXPECT_EQ(view.hovered(), vm().root());
    EXPECT_FALSE(view.hoverChip()->isVisibleTo(&view));
    EXPECT_EQ(view.centreName(), QStringLiteral("Home"));

    click(view, mid);
    EXPECT_EQ(vm().selectedNode(), arc.node);
    doubleClick(view, mid);
    EXPECT_EQ(vm().currentFolder(), arc.node->isDirectory() ? arc.node : vm().root());
}

// A folder of many small files draws as a filled area, not as the empty panel.
TEST(TreemapPicture, AFolderOfManySmallFilesIsNotDrawnEmpty) {
    TestTree t;
    for (int i = 0; i < 20'000; ++i)
        t.file(t.root(), "f" + std::to_string(i), 4096);
    t.finish();
    // Files big enough to be drawn one by one, and files each under a square point.
    for (const QSizeF frame : {QSizeF(506, 406), QSizeF(106, 106)}) {
        const auto cells = treemap::buildCells(t.root(), QRectF(QPointF(0, 0), frame), 7, ColorMode::folder,
                                               palette::nowStamp());
        for (ThemeName themeName : theme_name::allCases) {
            ThemeManager::instance().setThemeName(themeName);
            QImage picture(frame.toSize(), QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            QImage scratch;
            QPainter painter(&picture);
            treemap::paintPicture(painter, frame, theme(), cells, false, scratch);
            painter.end();
            ASSERT_TRUE(saveScreenshot(picture, "treemap-many-small-files-" + QString::number(frame.width()),
                                       themeName));
            // The layout area, away from the frame's rounded corners: hardly a pixel of bare panel.
            const QRgb panel = theme().panel.rgb();
            int bare = 0, total = 0;
            for (int y = 12; y < picture.height() - 12; ++y)
                for (int x = 12; x < picture.width() - 12; ++x, ++total)
                    bare += picture.pixel(x, y) == panel;
            EXPECT_LT(bare, total / 100) << theme_name::rawValue(themeName) << " " << frame.width();
        }
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

// A block of small children at the top stands for the folder shown: hovering it shows no chip and a
// click there selects nothing. Inside a group it stands for that group.
TEST(TreemapPointer, ATopLevelBlockOfSmallChildrenIsNotTheShownFolder) {
    TestTree t;
    FileNode* big = t.folder(t.root(), "big");
    t.file(big, "large", 45'000'000);
    t.file(t.root(), "other", 40'000'000);
    for (int i = 0; i < 3'000; ++i) {
        t.file(big, "tiny" + std::to_string(i), 500);
        t.file(t.root(), "speck" + std::to_string(i), 500);
    }
    t.finish();
    TreemapView view;
    view.resize(900, 640);
    view.setState({t.tree, t.root(), 1});
    std::vector<FileNode*> selected;
    QObject::connect(&view, &CanvasView::selectRequested, [&](FileNode* node) { selected.push_back(node); });
    auto blockAt = [&](int depth) {
        const auto& cells = view.items();
        const auto it =
            std::find_if(cells.begin(), cells.end(), [&](auto& c) { return c.rest && c.depth == depth; });
        return it == cells.end() ? QPointF(-1, -1) : view.frameRect().topLeft() + it->rect.center();
    };

    hover(view, blockAt(1));
    click(view, blockAt(1));
    EXPECT_EQ(view.hovered(), nullptr);
    EXPECT_FALSE(view.hoverChip()->isVisibleTo(&view));
    EXPECT_TRUE(selected.empty());
    hover(view, blockAt(2));
    click(view, blockAt(2));
    EXPECT_EQ(view.hoverChip()->node(), big);
    EXPECT_EQ(selected, std::vector<FileNode*>{big});
}

// A right click on a cell or an arc selects its node and opens the node's menu.
TEST_F(CanvasViews, ARightClickSelectsTheCellOrArcAndOpensItsMenu) {
    TreemapView treemap;
    SunburstView sunburst;
    for (CanvasView* view : {static_cast<CanvasView*>(&treemap), static_cast<CanvasView*>(&sunburst)}) {
        view->resize(800, 700);
        wireCanvas(view, vm());
    }
    const treemap::Cell& cell = treemap.items().back();
    const sunburst::SunArc& arc = sunburst.items().back();
    for (auto [view, at, node] :
         {std::tuple{static_cast<CanvasView*>(&treemap), treemap.frameRect().topLeft() + cell.rect.center(),
                     cell.node},
          std::tuple{static_cast<CanvasView*>(&sunburst), arcMiddle(sunburst, arc), arc.node}}) {
        vm().setSelectedNode(nullptr);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at.toPoint(), view->mapToGlobal(at.toPoint()));
        QApplication::sendEvent(view, &request);
        EXPECT_EQ(vm().selectedNode(), node);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->close();
        QApplication::processEvents();
    }
}

// One picture of each view per colour mode and theme, with a selection and a hovered node.
TEST_F(CanvasViews, RenderBothViewsInEveryModeAndTheme) {
    vm().setSelectedNode(fixture.node("Documents"));
    forEachModeAndTheme(vm(), [&](ColorMode mode, ThemeName themeName, const QString& modeName) {
        TreemapView treemap;
        SunburstView sunburst;
        for (CanvasView* view : {static_cast<CanvasView*>(&treemap), static_cast<CanvasView*>(&sunburst)}) {
            view->resize(958, 760);
            wireCanvas(view, vm());
        }
        const auto& cells = treemap.items();
        ASSERT_FALSE(cells.empty());
        ASSERT_FALSE(sunburst.items().empty());
        const bool regrouped =
            std::any_of(cells.begin(), cells.end(), [](auto& c) { return c.node->name() == "Video"; });
        EXPECT_EQ(regrouped, mode == ColorMode::type); // by type, files are grouped by category
        hover(treemap, treemap.frameRect().topLeft() + cells[cells.size() / 2].rect.center());
        ASSERT_TRUE(saveScreenshot(treemap.grab().toImage(), "treemap-" + modeName, themeName));
        hover(sunburst, arcMiddle(sunburst, sunburst.items().front()));
        EXPECT_EQ(sunburst.hovered(), sunburst.items().front().node);
        ASSERT_TRUE(saveScreenshot(sunburst.grab().toImage(), "sunburst-" + modeName, themeName));
    });
}

// Every label reads on the fill it is drawn on, in both themes and every colour mode: names at 4.5:1,
// the treemap's size lines at 3:1.
class CanvasLabelContrast : public ScannedHomeTest, public ::testing::WithParamInterface<ThemeAndMode> {};

TEST_P(CanvasLabelContrast, TreemapAndSunburstLabelsReadOnTheirFills) {
    applyThemeAndMode(vm(), GetParam());
    TreemapView treemap;
    SunburstView sunburst;
    for (CanvasView* view : {static_cast<CanvasView*>(&treemap), static_cast<CanvasView*>(&sunburst)}) {
        view->resize(958, 760);
        wireCanvas(view, vm());
    }
    const QImage map = ink_contrast::sharpPicture(treemap, theme().background);
    int lines = 0;
    for (const treemap::Cell& cell : treemap.items()) {
        const treemap::CellLabel label = treemap::labelFor(cell, false);
        if (label.name.isEmpty()) continue;
        const QRectF r = cell.rect.translated(treemap.frameRect().topLeft());
        // A line from 6 points in, centred `y` below the cell's top, on the cell (a group: its header).
        auto expectLine = [&](double y, const QFont& font, const QString& text, double minimum) {
            const double width = std::min(QFontMetricsF(font).horizontalAdvance(text), r.width() - 12);
            const QRectF around = cell.isGroup ? QRectF(r.left() + 2, r.top() + 2, r.width() - 4, 17)
                                               : r.adjusted(2, 2, -2, -2);
            ink_contrast::expectReads(map, QRectF(r.left() + 6, r.top() + y - 3.5, width, 7), around, minimum,
                                      text.toStdString());
            ++lines;
        };
        if (cell.isGroup) expectLine(11, fonts::ui(11, QFont::DemiBold), label.name, 4.5);
        if (cell.isGroup) continue;
        expectLine(12, fonts::ui(10.5, QFont::DemiBold), label.name, 4.5);
        if (!label.size.isEmpty()) expectLine(26, fonts::ui(9.5), label.size, 3.0);
    }
    EXPECT_GT(lines, 12);

    const QImage rings = ink_contrast::sharpPicture(sunburst, theme().background);
    int arcs = 0;
    for (const sunburst::SunArc& arc : sunburst.items()) {
        const auto label = sunburst::labelFor(sunburst.geometry(), arc, nodeName(*arc.node), false);
        if (!label) continue;
        // Along the text, turned as it is.
        const double width = QFontMetricsF(fonts::ui(9.5, QFont::Medium)).horizontalAdvance(label->text);
        const QTransform turn =
            QTransform::fromTranslate(label->anchor.x(), label->anchor.y()).rotate(label->rotation);
        ink_contrast::expectReads(rings, turn.map(QPolygonF(QRectF(-width / 2, -3.5, width, 7))),
                                  turn.map(QPolygonF(QRectF(-width / 2, -6, width, 12))), 4.5,
                                  label->text.toStdString());
        ++arcs;
    }
    EXPECT_GT(arcs, 5);
}

INSTANTIATE_TEST_SUITE_P(ThemesAndModes, CanvasLabelContrast, everyThemeAndMode(), themeAndModeName);

// The sunburst's labels turned along their rings read at 4.5:1 as drawn at one pixel per point too,
// where a turned glyph's stems are narrower than a pixel: drawn at two, every stem shows its full ink.
// Each lies along its turned line, from end to end.
class SunburstTurnedLabels : public ScannedHomeTest, public ::testing::WithParamInterface<ThemeAndMode> {};

TEST_P(SunburstTurnedLabels, ReadAtOnePixelPerPoint) {
    applyThemeAndMode(vm(), GetParam());
    int turned = 0;
    // Sizes that place the labels otherwise on the pixel grid, and cut them to other lengths.
    for (const QSize size : {QSize(958, 760), QSize(720, 600), QSize(840, 700), QSize(1100, 820)}) {
        SunburstView sunburst;
        sunburst.resize(size);
        wireCanvas(&sunburst, vm());
        QImage rings(sunburst.size(), QImage::Format_ARGB32_Premultiplied);
        rings.fill(theme().background);
        sunburst.render(&rings);
        for (const sunburst::SunArc& arc : sunburst.items()) {
            const auto label = sunburst::labelFor(sunburst.geometry(), arc, nodeName(*arc.node), false);
            if (!label || label->abbreviated) continue;
            const double width = QFontMetricsF(fonts::ui(9.5, QFont::Medium)).horizontalAdvance(label->text);
            const QTransform turn =
                QTransform::fromTranslate(label->anchor.x(), label->anchor.y()).rotate(label->rotation);
            const QPolygonF line = turn.map(QPolygonF(QRectF(-width / 2, -3.5, width, 7)));
            const QPolygonF around = turn.map(QPolygonF(QRectF(-width / 2, -6, width, 12)));
            ink_contrast::expectReads(rings, line, around, 4.5, label->text.toStdString());
            // Turned as it reads: ink at both ends of its turned line, which a label drawn level misses.
            for (const double from : {-width / 2, width / 4})
                EXPECT_FALSE(
                    ink_contrast::read(rings, turn.map(QPolygonF(QRectF(from, -3.5, width / 4, 7))), around)
                        .empty())
                    << label->text.toStdString() << " at " << label->rotation << " degrees";
            ++turned;
        }
    }
    EXPECT_GT(turned, 20);
}

INSTANTIATE_TEST_SUITE_P(ThemesAndModes, SunburstTurnedLabels, everyThemeAndMode(), themeAndModeName);

} // namespace
