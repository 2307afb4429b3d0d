#include "visualizations/flame/FlameGraphView.h"

#include "app/RegisterViews.h"
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/actions/NodeContextMenu.h"
#include "shell/controls/HoverChip.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Fonts.h"

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
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using namespace mouse;

// A block's middle, in the canvas's coordinates.
QPointF middleOf(const flame::Block& block) {
    return FlameGraphCanvas::contentOrigin() + flame::drawnRect(block).center();
}

const flame::Block* blockOf(const FlameGraphCanvas& canvas, const FileNode* node) {
    const auto& blocks = canvas.items();
    const auto found = std::find_if(blocks.begin(), blocks.end(), [&](auto& b) { return b.node == node; });
    return found == blocks.end() ? nullptr : &*found;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int lightness(QRgb c) {
    return qRed(c) + qGreen(c) + qBlue(c);
}

class FlameGraph : public ScannedHomeTest {
  protected:
    void SetUp() override {
        ScannedHomeTest::SetUp();
        registerViews();
    }
    void TearDown() override {
        ScannedHomeTest::TearDown();
        ViewRegistry::clear();
    }

    // The Flame mode's view of the scan's root, as the Explore tab builds it, shown at `size`.
    std::unique_ptr<FlameGraphView> makeView(QSize size) {
        QWidget* widget =
            ViewRegistry::createVisualization(VisualizationMode::flame, vm(), vm().root(), nullptr);
        auto* view = dynamic_cast<FlameGraphView*>(widget);
        EXPECT_NE(view, nullptr);
        if (!view) delete widget;
        if (view) {
            view->resize(size);
            view->show();
            QApplication::processEvents(); // the scroll area settles its bar
        }
        return std::unique_ptr<FlameGraphView>(view);
    }
};

TEST_F(FlameGraph, HoverClickDoubleClickAndMenuActOnTheBlockUnderThePointer) {
    auto view = makeView({900, 700});
    ASSERT_TRUE(view);
    FlameGraphCanvas& canvas = *view->canvas();
    FileNode* movies = fixture.node("Movies");
    FileNode* holiday = fixture.node("Movies/Holiday 2023.mp4");
    const flame::Block* folder = blockOf(canvas, movies);
    const flame::Block* file = blockOf(canvas, holiday);
    ASSERT_TRUE(folder && file);
    EXPECT_EQ(file->row, folder->row + 1);

    hover(canvas, middleOf(*file));
    EXPECT_EQ(canvas.hovered(), holiday);
    EXPECT_EQ(canvas.hoverChip()->node(), holiday);
    EXPECT_TRUE(canvas.hoverChip()->isVisibleTo(view.get()));
    hover(canvas, middleOf(canvas.items().front())); // the folder's own block has a chip too
    EXPECT_EQ(canvas.hoverChip()->node(), vm().root());
    hover(canvas, QPointF(4, 4)); // the padding
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_FALSE(canvas.hoverChip()->isVisibleTo(view.get()));

    click(canvas, middleOf(*file));
    EXPECT_EQ(vm().selectedNode(), holiday);
    click(canvas, QPointF(4, 4));
    EXPECT_EQ(vm().selectedNode(), holiday);
    doubleClick(canvas, middleOf(*file)); // a file is only selected
    EXPECT_EQ(vm().currentFolder(), vm().root());
    doubleClick(canvas, middleOf(*folder));
    EXPECT_EQ(vm().currentFolder(), movies);

    const QPointF at = middleOf(*blockOf(canvas, fixture.node("Documents")));
    QContextMenuEvent request(QContextMenuEvent::Mouse, at.toPoint(), canvas.mapToGlobal(at.toPoint()));
    QApplication::sendEvent(&canvas, &request);
    EXPECT_EQ(vm().selectedNode(), fixture.node("Documents"));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    menu->close();
    QApplication::processEvents();

    // The Explore tab hands the view the opened folder: it lays it out from the top.
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    view->setFolder(movies);
    EXPECT_EQ(canvas.items().front().node, movies);
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);
}

// Under "By type" the blocks are the tree's own regrouping, kept across widths; its groups and the
// regrouped folder are selected, but offer no action that needs a place.
TEST_F(FlameGraph, RegroupedBlocksAreTheTreesOwnAndHaveNoPlace) {
    vm().settings().setColorMode(ColorMode::type);
    auto view = makeView({900, 700});
    ASSERT_TRUE(view);
    FlameGraphCanvas& canvas = *view->canvas();
    ASSERT_FALSE(canvas.items().empty());
    const FileNode* groups = vm().tree()->findCategoryGroups(vm().root());
    ASSERT_NE(groups, nullptr);
    ASSERT_EQ(canvas.items().front().node, groups);
    const flame::Block* video = nullptr;
    for (const flame::Block& b : canvas.items())
        if (b.row == 1 && b.node->name() == "Video") video = &b;
    ASSERT_NE(video, nullptr);
    const double wide = video->width;
    FileNode* group = video->node;
    view->resize(600, 700);
    ASSERT_EQ(canvas.items().front().node, groups); // laid out again, from the same regrouping
    video = blockOf(canvas, group);
    ASSERT_NE(video, nullptr);
    EXPECT_LT(video->width, wide);

    for (const flame::Block* block : {&canvas.items().front(), video}) {
        click(canvas, middleOf(*block));
        ASSERT_EQ(vm().selectedNode(), block->node);
        for (const NodeContextMenu::Entry& entry : NodeContextMenu::entries(vm().cleanupQueue(), block->node))
            EXPECT_EQ(entry.enabled, entry.action == NodeContextMenu::Action::open)
                << entry.title.toStdString();
    }
    // Opening a group selects it; a regrouping is shown, never entered.
    doubleClick(canvas, middleOf(*video));
    EXPECT_EQ(vm().selectedNode(), group);
    EXPECT_EQ(vm().currentFolder(), vm().root());
    vm().settings().setColorMode(ColorMode::folder);
}

// The rows scroll under a chip that stays at the bottom-left of what is in view; the pointer finds
// the block drawn under it wherever the rows stand.
TEST_F(FlameGraph, ScrollingKeepsTheChipInPlaceAndHitsFollowTheRows) {
    vm().settings().setDepth(10);
    auto view = makeView({700, 240});
    ASSERT_TRUE(view);
    FlameGraphCanvas& canvas = *view->canvas();
    QApplication::processEvents();
    EXPECT_EQ(canvas.height(), int(flame::contentHeight(10) + 2 * flame::kPadding));
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), canvas.height() - view->viewport()->height());

    // The deepest block (row 4): out of sight until the wheel scrolls down to it.
    const auto& blocks = canvas.items();
    const flame::Block& deep =
        *std::max_element(blocks.begin(), blocks.end(), [](auto& a, auto& b) { return a.row < b.row; });
    ASSERT_GE(deep.row, 4);
    auto pointerAt = [&](const flame::Block& block) { return canvas.mapTo(view.get(), middleOf(block)); };
    EXPECT_GT(pointerAt(deep).y(), view->viewport()->height());
    const QPointF inView(100, 100);
    QWheelEvent wheel(inView, view->viewport()->mapToGlobal(inView), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    for (int notch = 0; notch < 20 && !view->viewport()->geometry().contains(pointerAt(deep).toPoint());
         ++notch)
        QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_GT(bar->value(), 0);
    const QPoint pointer = pointerAt(deep).toPoint();
    ASSERT_TRUE(view->viewport()->geometry().contains(pointer));

    // The pointer over the view reaches the canvas (the chip lets it through) at the block's place.
    auto hoverView = [&](QPoint at) {
        QWidget* under = view->childAt(at);
        ASSERT_EQ(under, &canvas);
        hover(*under, under->mapFrom(view.get(), QPointF(at)));
    };
    hoverView(pointer);
    EXPECT_EQ(canvas.hovered(), deep.node);
    HoverChip* chip = canvas.hoverChip();
    ASSERT_TRUE(chip->isVisibleTo(view.get()));
    const QRect placed = chip->geometry();
    EXPECT_EQ(chip->parentWidget(), view.get());
    EXPECT_EQ(placed.left(), 0);
    EXPECT_EQ(placed.bottom(), view->height() - 1);

    for (int value : {0, 50, 100, bar->maximum()}) {
        bar->setValue(value);
        QApplication::processEvents();
        EXPECT_EQ(chip->geometry().bottomLeft(), placed.bottomLeft()) << value; // its width follows the name
        EXPECT_TRUE(chip->isVisibleTo(view.get()));
        // Whatever lies under the same pointer now is what is hovered: the ancestors of the deep block
        // on the rows above it, nothing below the deepest row.
        hoverView(QPoint(pointer.x(), 150));
        const FileNode* expected = nullptr;
        const int row = (150 + value - int(flame::kPadding)) / int(flame::kRowPitch);
        for (const FileNode* n = deep.node; n; n = n->parent())
            if (const flame::Block* b = blockOf(canvas, n); b && b->row == row) expected = n;
        EXPECT_EQ(canvas.hovered(), expected) << value;
        EXPECT_EQ(expected == nullptr, row > deep.row) << value;
    }
    view->resize(800, 360); // the chip follows the view's corner
    QApplication::processEvents();
    EXPECT_EQ(chip->geometry().bottom(), view->height() - 1);
    vm().settings().setDepth(3); // fewer rows: a shorter canvas, nothing left to scroll
    QApplication::processEvents();
    EXPECT_EQ(canvas.height(), int(flame::contentHeight(3) + 2 * flame::kPadding));
    EXPECT_EQ(bar->maximum(), 0);
    vm().settings().setDepth(7);
}

// One picture per colour mode and theme: every block shows its colour over the window's background,
// the rows are apart, the hovered block is darker, the selected one outlined, the folder's block named.
TEST_F(FlameGraph, RenderInEveryColourModeAndTheme) {
    FileNode* selected = fixture.node("Documents");
    FileNode* hovered = fixture.node("Music");
    vm().setSelectedNode(selected);
    forEachModeAndTheme(vm(), [&](ColorMode mode, ThemeName themeName, const QString& modeName) {
        auto view = makeView({958, 760});
        ASSERT_TRUE(view);
        FlameGraphCanvas& canvas = *view->canvas();
        const auto& blocks = canvas.items();
        ASSERT_GT(blocks.size(), 10u);
        const bool regrouped =
            std::any_of(blocks.begin(), blocks.end(), [](auto& b) { return b.node->name() == "Video"; });
        EXPECT_EQ(regrouped, mode == ColorMode::type);
        // Under "By type" and "By age" the blocks are groups and the files in them.
        const bool byFolder = mode == ColorMode::folder;
        const flame::Block* hoveredBlock = byFolder ? blockOf(canvas, hovered) : &blocks[1];
        ASSERT_NE(hoveredBlock, nullptr);
        hover(canvas, middleOf(*hoveredBlock));
        const QImage picture = view->grab().toImage();
        ASSERT_TRUE(saveScreenshot(picture, "flame-" + modeName, themeName));
        const QColor background = theme().background;
        auto pixel = [&](QPointF canvasPoint) {
            return picture.pixel(canvas.mapTo(view.get(), canvasPoint.toPoint()));
        };

        int checked = 0;
        for (const flame::Block& block : blocks) {
            const QRectF drawn = flame::drawnRect(block).translated(FlameGraphCanvas::contentOrigin());
            if (drawn.width() < 12) continue;
            // Near the top-right corner: clear of the label and of the rounding.
            const QRgb at = pixel(drawn.topRight() + QPointF(-5, 5));
            const QRgb plain = color_blend::over(block.color, background).rgb();
            if (block.node == hoveredBlock->node) {
                EXPECT_LT(lightness(at), lightness(plain) - 20) << block.node->path();
            } else if (!(block.row > 0 && block.node == selected)) {
                EXPECT_TRUE(near(at, plain, 2))
                    << block.node->path() << " " << QColor(at).name().toStdString();
                ++checked;
            }
            // The line between its row and the next is bare background, but where a mark reaches into it.
            const bool marked = block.node == hoveredBlock->node || (block.row > 0 && block.node == selected);
            if (!marked) {
                EXPECT_TRUE(
                    near(pixel(QPointF(drawn.center().x(), drawn.bottom() + 1)), background.rgb(), 1));
            }
        }
        EXPECT_GT(checked, 5);
        if (const flame::Block* outlined = byFolder ? blockOf(canvas, selected) : nullptr) {
            const QRectF drawn = flame::drawnRect(*outlined).translated(FlameGraphCanvas::contentOrigin());
            // The darkest pixel across its left edge: the ink of the outline.
            int edge = 3 * 255;
            for (int x = int(drawn.left()) - 1; x <= int(drawn.left()) + 1; ++x)
                edge = std::min(edge, lightness(pixel(QPointF(x, drawn.center().y()))));
            EXPECT_LT(edge, lightness(color_blend::over(outlined->color, background).rgb()) - 100);
        }
        // The folder's path is written on its block: ink far from the block's colour on its left part.
        const QRectF root = flame::drawnRect(blocks.front()).translated(FlameGraphCanvas::contentOrigin());
        const int rootFill = lightness(color_blend::over(blocks.front().color, background).rgb());
        int ink = 0;
        for (int x = int(root.left()) + 6; x < int(root.left()) + 200; ++x)
            for (int y = int(root.center().y()) - 6; y <= int(root.center().y()) + 6; ++y)
                ink += std::abs(lightness(pixel(QPointF(x, y))) - rootFill) > 250;
        EXPECT_GT(ink, 40);
    });
}

// In the window: the Flame mode fills the Explore area, and a double click on a folder's block opens it in
// the same view, which lays it out from its top row.
class FlameInTheWindow : public ShellTest {};

TEST_F(FlameInTheWindow, ShowsTheFolderAndOpensFoldersInPlace) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* code = nodeAt(vm->root(), "Code");
    pictureInTheWindow(
        *vm, VisualizationMode::flame, "flame", [&](const QImage& image, QWidget& shown, ThemeName name) {
            auto* view = dynamic_cast<FlameGraphView*>(&shown);
            ASSERT_TRUE(view);
            FlameGraphCanvas& canvas = *view->canvas();
            const flame::Block& folder = canvas.items().front();
            ASSERT_EQ(folder.node, vm->root());
            const QPointF corner =
                FlameGraphCanvas::contentOrigin() + flame::drawnRect(folder).topRight() + QPointF(-5, 5);
            EXPECT_TRUE(near(image.pixel(canvas.mapTo(shown.window(), corner.toPoint())),
                             color_blend::over(folder.color, Theme::forName(name).background).rgb(), 2));
            if (name != theme_name::allCases.back()) return;

            const flame::Block* block = blockOf(canvas, code);
            ASSERT_NE(block, nullptr);
            QPointer<QWidget> same(&shown);
            doubleClick(canvas, middleOf(*block));
            QCoreApplication::processEvents();
            flushDeletes();
            EXPECT_EQ(vm->currentFolder(), code);
            ASSERT_FALSE(same.isNull());
            EXPECT_EQ(canvas.items().front().node, code);
        });
}

// Every block's label reads on the block, in both themes and every colour mode.
class FlameLabelContrast : public FlameGraph, public ::testing::WithParamInterface<ThemeAndMode> {};

TEST_P(FlameLabelContrast, LabelsReadOnTheirBlocks) {
    applyThemeAndMode(vm(), GetParam());
    auto view = makeView({958, 760});
    ASSERT_TRUE(view);
    const QImage picture = ink_contrast::sharpPicture(*view, theme().background);
    const QPointF offset =
        view->canvas()->mapTo(view.get(), QPoint(0, 0)) + FlameGraphCanvas::contentOrigin();
    const auto& blocks = view->canvas()->items();
    const auto labels = flame::labelsOf(blocks, QString::fromStdString(vm().root()->path()), false);
    for (const flame::Label& label : labels) {
        const QRectF drawn = flame::drawnRect(blocks[label.block]).translated(offset);
        const double width =
            std::min(QFontMetricsF(fonts::ui(13)).horizontalAdvance(label.text), drawn.width() - 8);
        ink_contrast::expectReads(picture, QRectF(label.anchor + offset - QPointF(0, 4), QSizeF(width, 8)),
                                  drawn.adjusted(2, 2, -2, -2), 4.5, label.text.toStdString());
    }
    EXPECT_GT(labels.size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(ThemesAndModes, FlameLabelContrast, everyThemeAndMode(), themeAndModeName);

} // namespace
