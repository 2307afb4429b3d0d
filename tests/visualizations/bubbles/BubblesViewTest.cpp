#include "visualizations/bubbles/BubblesView.h"

#include "app/RegisterViews.h"
#include "model/FileNode.h"
#include "shell/controls/HoverChip.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Theme.h"

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
#include <memory>

namespace {

using namespace mouse;
using bubbles::Bubble;
using color_blend::over;
using color_blend::withOpacity;

// A point of `b` outside every circle drawn inside it, in its lower half (group labels sit at the top).
std::optional<QPointF> bareSpot(const std::vector<Bubble>& drawn, const Bubble& b) {
    for (int step = 0; step < 360; ++step) {
        const double angle = 0.1 + step * 3.14159 / 360;
        const QPointF at = b.center + QPointF(std::cos(angle), std::sin(angle)) * b.radius * 0.985;
        if (bubbles::hitTest(drawn, at) == b.node) return at;
    }
    return std::nullopt;
}

class BubblesViews : public ScannedHomeTest {
  protected:
    void SetUp() override {
        ScannedHomeTest::SetUp();
        registerViews();
    }
    void TearDown() override {
        ScannedHomeTest::TearDown();
        vm().settings().setColorMode(ColorMode::folder);
    }

    // The view as the Explore tab builds it, showing the home folder.
    std::unique_ptr<BubblesView> make(QSize size) {
        std::unique_ptr<QWidget> widget(
            ViewRegistry::createVisualization(VisualizationMode::bubbles, vm(), vm().root(), nullptr));
        std::unique_ptr<BubblesView> view(dynamic_cast<BubblesView*>(widget.release()));
        view->resize(size);
        return view;
    }
};

TEST_F(BubblesViews, HoverClickAndDoubleClick) {
    auto view = make({900, 700});
    const auto& drawn = view->bubbles();
    ASSERT_GT(drawn.size(), 10u);
    FileNode* movies = fixture.node("Movies");
    const Bubble* group = bubbles::find(drawn, movies);
    const Bubble* leaf = bubbles::find(drawn, fixture.node("Movies/Holiday 2023.mp4"));
    ASSERT_TRUE(group && leaf);
    const auto inGroup = bareSpot(drawn, *group), inRoot = bareSpot(drawn, drawn.front());
    ASSERT_TRUE(inGroup && inRoot);

    hover(*view, leaf->center);
    EXPECT_EQ(view->hovered(), leaf->node);
    EXPECT_TRUE(view->hoverChip()->isVisibleTo(view.get()));
    // Inside the root circle but no other: the folder, without a chip.
    hover(*view, *inRoot);
    EXPECT_EQ(view->hovered(), vm().root());
    EXPECT_FALSE(view->hoverChip()->isVisibleTo(view.get()));
    hover(*view, QPointF(3, 3)); // outside the root circle
    EXPECT_EQ(view->hovered(), nullptr);

    click(*view, leaf->center);
    EXPECT_EQ(vm().selectedNode(), leaf->node);
    click(*view, QPointF(3, 3));
    EXPECT_EQ(vm().selectedNode(), leaf->node);
    click(*view, *inRoot);
    EXPECT_EQ(vm().selectedNode(), vm().root());
    doubleClick(*view, *inGroup);
    EXPECT_EQ(vm().currentFolder(), movies);
    EXPECT_EQ(vm().selectedNode(), movies);
}

// Under "By type" the root circle is the regrouped copy of the folder and the first ring its category
// groups: they may be selected, but nothing that needs a place on disk is offered for them.
TEST_F(BubblesViews, RegroupedCirclesAreSelectedWithoutPathActions) {
    vm().settings().setColorMode(ColorMode::type);
    auto view = make({900, 700});
    const auto& drawn = view->bubbles();
    ASSERT_FALSE(drawn.empty());
    const Bubble& root = drawn.front();
    ASSERT_NE(root.node, vm().root());
    EXPECT_TRUE(root.node->isVirtual());
    const auto group = std::find_if(drawn.begin(), drawn.end(), [](const Bubble& b) { return b.depth == 1; });
    ASSERT_NE(group, drawn.end());
    EXPECT_EQ(group->node->name(), "Video"); // groups come in category order
    const auto file = std::find_if(drawn.begin(), drawn.end(), [](const Bubble& b) { return b.depth == 2; });
    ASSERT_NE(file, drawn.end());

    const auto inRoot = bareSpot(drawn, root), inGroup = bareSpot(drawn, *group);
    ASSERT_TRUE(inRoot && inGroup);
    hover(*view, *inRoot);
    EXPECT_EQ(view->hovered(), root.node);
    EXPECT_TRUE(view->hoverChip()->isVisibleTo(view.get())); // the copy is not the folder itself

    for (auto [at, node, hasPlace] : {std::tuple{*inRoot, root.node, false},
                                      {*inGroup, group->node, false},
                                      {file->center, file->node, true}}) {
        QContextMenuEvent request(QContextMenuEvent::Mouse, at.toPoint(), view->mapToGlobal(at.toPoint()));
        QApplication::sendEvent(view.get(), &request);
        EXPECT_EQ(vm().selectedNode(), node);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        int pathActions = 0;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->text() == "Open") continue;
            ++pathActions;
            EXPECT_EQ(action->isEnabled(), hasPlace) << action->text().toStdString();
        }
        EXPECT_GT(pathActions, 0);
        menu->close();
        QApplication::processEvents();
    }
}

// A new size fits the packed circles again without packing them again, to the same picture a fresh
// layout at that size gives; a new colour mode packs again.
TEST_F(BubblesViews, AResizeOnlyFitsAgain) {
    auto view = make({900, 700});
    (void)view->bubbles();
    const auto* packing = view->items().data();

    view->resize(640, 480);
    EXPECT_EQ(view->items().data(), packing);
    const auto fresh = bubbles::flatten(
        bubbles::buildPackTree(vm().root(), ColorMode::folder, palette::nowStamp()), QSizeF(640, 480));
    const auto& drawn = view->bubbles();
    ASSERT_EQ(drawn.size(), fresh.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].node, fresh[i].node);
        EXPECT_EQ(drawn[i].center, fresh[i].center);
        EXPECT_EQ(drawn[i].radius, fresh[i].radius);
    }
    EXPECT_DOUBLE_EQ(drawn.front().radius, 480 / 2 - 14);

    vm().settings().setColorMode(ColorMode::age);
    (void)view->bubbles();
    EXPECT_NE(view->items().data(), packing);
}

// One picture per colour mode and theme, with a selection and a hovered circle: the root is filled
// with the theme's card colour, and a file's circle with its colour at 85 % over what lies beneath.
TEST_F(BubblesViews, RenderEveryModeAndTheme) {
    vm().setSelectedNode(fixture.node("Documents"));
    forEachModeAndTheme(vm(), [&](ColorMode, ThemeName themeName, const QString& modeName) {
        auto view = make({958, 760});
        const auto& drawn = view->bubbles();
        ASSERT_GT(drawn.size(), 5u);
        // The largest file, and the fills it lies on, from the root down.
        const Bubble* leaf = nullptr;
        std::vector<const Bubble*> path, leafPath;
        for (const Bubble& b : drawn) {
            path.resize(size_t(b.depth));
            if (!b.isGroup && b.depth > 0 && (!leaf || b.radius > leaf->radius)) {
                leaf = &b;
                leafPath = path;
            }
            path.push_back(&b);
        }
        ASSERT_NE(leaf, nullptr);
        hover(*view, leaf->center);
        const QImage picture = view->grab().toImage();
        ASSERT_TRUE(saveScreenshot(picture, "bubbles-" + modeName, themeName));

        auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
                   std::abs(a.blue() - b.blue()) <= 3;
        };
        const QColor card = theme().card;
        const auto inRoot = bareSpot(drawn, drawn.front());
        ASSERT_TRUE(inRoot);
        EXPECT_TRUE(near(picture.pixelColor(inRoot->toPoint()), card))
            << modeName.toStdString() << " " << picture.pixelColor(inRoot->toPoint()).name().toStdString();
        QColor beneath = card;
        for (size_t d = 1; d < leafPath.size(); ++d)
            beneath = over(withOpacity(leafPath[d]->color, 0.32), beneath);
        const QColor expected = over(withOpacity(leaf->color, 0.85), beneath);
        const QPoint inLeaf = (leaf->center + QPointF(0, leaf->radius * 0.6)).toPoint();
        EXPECT_TRUE(near(picture.pixelColor(inLeaf), expected))
            << modeName.toStdString() << " " << picture.pixelColor(inLeaf).name().toStdString() << " "
            << expected.name().toStdString();
    });
}

// In the window: the Explore tab shows the view; a double click on a folder opens it in the same view.
class BubblesWindowTest : public ShellTest {};

TEST_F(BubblesWindowTest, TheExploreTabOpensAFolderInTheSameView) {
    registerViews();
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    AppWindow window;
    window.setContent(new ContentView(*vm));
    window.resize(1680, 1050);
    window.show();
    scanAndWait(*vm, fixture);
    vm->settings().setMode(VisualizationMode::bubbles);
    QCoreApplication::processEvents();
    auto* view = window.findChild<BubblesView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->state().folder, vm->root());
    for (ThemeName name : theme_name::allCases) {
        vm->settings().setThemeName(name);
        QCoreApplication::processEvents();
        ASSERT_TRUE(saveScreenshot(window.grab().toImage(), "window-bubbles", name));
    }
    vm->settings().setThemeName(ThemeName::light);

    FileNode* movies = nodeAt(vm->root(), "Movies");
    const Bubble* circle = bubbles::find(view->bubbles(), movies);
    ASSERT_NE(circle, nullptr);
    const auto spot = bareSpot(view->bubbles(), *circle);
    ASSERT_TRUE(spot);
    doubleClick(*view, *spot);
    QCoreApplication::processEvents();
    flushDeletes();
    EXPECT_EQ(vm->currentFolder(), movies);
    EXPECT_EQ(window.findChild<BubblesView*>(), view);
    EXPECT_EQ(view->state().folder, movies);
    EXPECT_EQ(view->bubbles().front().node, movies);
}

// Every label reads on the circle it is written in, in both themes and every colour mode: group names
// ("Last 7 days") on their faint tint as well as file names on their solid circles.
class BubbleLabelContrast : public BubblesViews, public ::testing::WithParamInterface<ThemeAndMode> {};

TEST_P(BubbleLabelContrast, LabelsReadOnTheirCircles) {
    applyThemeAndMode(vm(), GetParam());
    auto view = make({958, 760});
    const QImage picture = ink_contrast::sharpPicture(*view, theme().background);
    int groups = 0, leaves = 0;
    for (const Bubble& b : view->bubbles()) {
        const auto label = bubbles::labelFor(b, nodeName(*b.node), false);
        if (b.depth == 0 || !label) continue;
        const double f = label->fontSize;
        const double width = QFontMetricsF(fonts::ui(f, QFont::DemiBold)).horizontalAdvance(label->text);
        const QRectF line(label->anchor - QPointF(width / 2, f * 0.3), QSizeF(width, f * 0.6));
        ink_contrast::expectReads(picture, line, line.adjusted(-4, -f * 0.4, 4, f * 0.4), 4.5,
                                  label->text.toStdString());
        ++(b.isGroup ? groups : leaves);
    }
    EXPECT_GT(groups, 1);
    EXPECT_GT(leaves, 3);
}

INSTANTIATE_TEST_SUITE_P(ThemesAndModes, BubbleLabelContrast, everyThemeAndMode(), themeAndModeName);

} // namespace
