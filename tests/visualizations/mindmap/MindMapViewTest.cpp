#include "visualizations/mindmap/MindMapView.h"

#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/actions/CanvasWiring.h"
#include "shell/controls/HoverChip.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"

#include "tests/shell/ScannedHome.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/InkContrast.h"
#include "tests/support/Mouse.h"
#include "tests/support/Screenshots.h"
#include "tests/visualizations/Pictures.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace mouse;

class MindMap : public ScannedHomeTest {};

const mind_map::Branch& firstFolderBranch(const MindMapView& view) {
    const auto& branches = view.items();
    return *std::find_if(branches.begin(), branches.end(),
                         [](const mind_map::Branch& b) { return b.depth == 1 && b.node->isDirectory(); });
}

TEST_F(MindMap, HoverClickAndDoubleClickOnDotsAndTheCentre) {
    MindMapView view;
    view.resize(900, 700);
    wireCanvas(&view, vm());
    ASSERT_FALSE(view.items().empty());
    const mind_map::Branch& branch = firstFolderBranch(view);

    // A dot is hovered a little off its rim too; the chip names it.
    hover(view, branch.point + QPointF(branch.dot / 2 + 4, 0));
    EXPECT_EQ(view.hovered(), branch.node);
    EXPECT_TRUE(view.hoverChip()->isVisibleTo(&view));
    // The centre is the folder itself: hovered, but without a chip.
    hover(view, view.centre() + QPointF(30, 30));
    EXPECT_EQ(view.hovered(), vm().root());
    EXPECT_FALSE(view.hoverChip()->isVisibleTo(&view));
    hover(view, QPointF(3, 3));
    EXPECT_EQ(view.hovered(), nullptr);

    click(view, branch.point);
    EXPECT_EQ(vm().selectedNode(), branch.node);
    click(view, QPointF(3, 3)); // nothing there: the selection stays
    EXPECT_EQ(vm().selectedNode(), branch.node);
    doubleClick(view, branch.point);
    EXPECT_EQ(vm().currentFolder(), branch.node);
}

// Under "By type" a first-level dot is a category group: it is selected and opened like a folder (the
// state object does not enter a regrouping), but it is no place on disk, so the menu offers nothing that
// needs a path. A new width lays out the same regrouping again; it is never made anew.
TEST_F(MindMap, GroupNodesAreSelectedAndOpenedWithoutPathActions) {
    vm().settings().setColorMode(ColorMode::type);
    MindMapView view;
    view.resize(900, 700);
    wireCanvas(&view, vm());
    const auto branches = view.items();
    ASSERT_FALSE(branches.empty());
    FileNode* group = branches.front().node;
    ASSERT_TRUE(group->isVirtual());
    EXPECT_EQ(group->parent(), nullptr);
    EXPECT_EQ(view.layoutRoot(), vm().tree()->findCategoryGroups(vm().root()));

    const QPoint at = branches.front().point.toPoint();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, view.mapToGlobal(at));
    QApplication::sendEvent(&view, &request);
    EXPECT_EQ(vm().selectedNode(), group);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        EXPECT_EQ(action->isEnabled(), action->text() == "Open") << action->text().toStdString();
    }
    menu->close();
    QApplication::processEvents();

    const FileNode* regrouped = view.layoutRoot();
    view.resize(901, 650);
    EXPECT_NE(view.items().front().point, branches.front().point);
    EXPECT_EQ(view.layoutRoot(), regrouped);
    EXPECT_EQ(view.items().front().node, group);

    // The centre stays the real folder.
    EXPECT_EQ(view.hitTest(view.centre()), vm().root());
    // A group is opened as the state object opens one: selected, but never entered.
    vm().setSelectedNode(nullptr);
    doubleClick(view, view.items().front().point);
    EXPECT_EQ(vm().selectedNode(), group);
    EXPECT_EQ(vm().currentFolder(), vm().root());
    vm().settings().setColorMode(ColorMode::folder);
}

int distance(QColor a, QColor b) {
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// One picture per colour mode and theme, hovering a small branch that asks for no label of its own,
// with a first-level folder selected.
TEST_F(MindMap, RenderEveryModeAndTheme) {
    forEachModeAndTheme(vm(), [&](ColorMode, ThemeName themeName, const QString& modeName) {
        const Theme& t = theme();
        MindMapView view;
        view.resize(958, 760);
        wireCanvas(&view, vm());
        const auto& branches = view.items();
        ASSERT_FALSE(branches.empty());
        const auto quiet = std::find_if(branches.begin(), branches.end(),
                                        [](const mind_map::Branch& b) { return !b.showsLabel; });
        ASSERT_NE(quiet, branches.end());
        vm().setSelectedNode(branches.front().node);
        hover(view, quiet->point);
        ASSERT_EQ(view.hovered(), quiet->node);

        const QImage picture = onBackground(view, themeName);
        ASSERT_TRUE(saveScreenshot(picture, "mindmap-" + modeName, themeName));
        const std::string where = modeName.toStdString() + " " + std::string(theme_name::rawValue(themeName));

        // The centre disc is the theme's ink.
        const QPointF c = view.centre();
        EXPECT_LE(distance(picture.pixelColor((c + QPointF(-40, 0)).toPoint()), t.ink), 1) << where;
        // Each first-level dot shows its fill over the background, beside its connector.
        for (const mind_map::Branch& b : branches) {
            if (b.depth != 1) continue;
            const QPointF side(-std::sin(b.angle), std::cos(b.angle));
            const QColor seen = picture.pixelColor((b.point + 3 * side).toPoint());
            EXPECT_LE(distance(seen, color_blend::over(b.fill, t.background)), 3) << where;
        }
        // The hovered branch is labelled first, in the theme's text colour.
        const auto labels = mind_map::placeLabels(branches, quiet->node, false);
        ASSERT_FALSE(labels.empty());
        ASSERT_EQ(&branches[labels.front().branch], &*quiet);
        const QRect room = labels.front().rect.toAlignedRect().intersected(picture.rect());
        int ink = 0;
        for (int y = room.top(); y <= room.bottom(); ++y)
            for (int x = room.left(); x <= room.right(); ++x)
                ink += distance(picture.pixelColor(x, y), t.text) < 40;
        EXPECT_GT(ink, 10) << where;
    });
}

// Every label reads on what lies under it, in both themes and every colour mode: names on the
// background at 4.5:1, their sizes at 3:1, and the folder's name and size on the centre disc at 4.5:1.
class MindMapContrast : public MindMap, public ::testing::WithParamInterface<ThemeAndMode> {};

TEST_P(MindMapContrast, LabelsAndTheCentreRead) {
    applyThemeAndMode(vm(), GetParam());
    MindMapView view;
    view.resize(958, 760);
    wireCanvas(&view, vm());
    const QImage picture = ink_contrast::sharpPicture(view, theme().background);
    // A line of `text` centred on `y`, from `x` on (or up to `x`, when not leading).
    auto expectLine = [&](const QFont& font, const QString& text, QPointF at, bool leading, double minimum) {
        const double width = QFontMetricsF(font).horizontalAdvance(text);
        const QRectF line(leading ? at.x() : at.x() - width, at.y() - 3, width, 6);
        ink_contrast::expectReads(picture, line, line.adjusted(-4, -6, 4, 6), minimum, text.toStdString());
    };
    const auto labels = mind_map::placeLabels(view.items(), nullptr, false);
    ASSERT_GT(labels.size(), 3u);
    for (const mind_map::Label& l : labels) {
        expectLine(fonts::ui(11, QFont::DemiBold), l.text, l.anchor - QPointF(0, 6), l.leading, 4.5);
        expectLine(fonts::ui(9), formatBytes(view.items()[l.branch].node->sizeOnDisk),
                   l.anchor + QPointF(0, 7), l.leading, 3.0);
    }
    auto expectCentred = [&](const QFont& font, const QString& text, double dy) {
        const double width = QFontMetricsF(font).horizontalAdvance(text);
        expectLine(font, text, view.centre() + QPointF(-width / 2, dy), true, 4.5);
    };
    expectCentred(fonts::ui(11.5, QFont::DemiBold), QStringLiteral("Home"), -9);
    expectCentred(fonts::ui(12, QFont::Bold), formatBytes(vm().root()->sizeOnDisk), 10);
}

INSTANTIATE_TEST_SUITE_P(ThemesAndModes, MindMapContrast, everyThemeAndMode(), themeAndModeName);

// The mode as the application registers it, inside the main window at its least size.
class MindMapWindow : public ShellTest {};

TEST_F(MindMapWindow, TheRegisteredModeShowsTheCurrentFolder) {
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    vm->settings().setShowInspector(true);
    scanAndWait(*vm, fixture);
    pictureInTheWindow(*vm, VisualizationMode::mindMap, "mind-map",
                       [&](const QImage& image, QWidget& shown, ThemeName name) {
                           auto* view = dynamic_cast<MindMapView*>(&shown);
                           ASSERT_TRUE(view);
                           EXPECT_EQ(view->state().folder, vm->root());
                           EXPECT_EQ(view->state().depth, 3);
                           EXPECT_FALSE(view->items().empty());
                           const QPoint centre = view->mapTo(view->window(), view->centre().toPoint());
                           EXPECT_EQ(image.pixelColor(centre + QPoint(-40, 0)), Theme::forName(name).ink);
                       });
}

} // namespace
