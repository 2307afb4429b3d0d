#include "shell/canvas/CanvasView.h"
#include "shell/canvas/LayoutCache.h"
#include "shell/canvas/PointerGestures.h"
#include "shell/controls/HoverChip.h"
#include "shell/style/Theme.h"
#include "tests/support/Animations.h"
#include "tests/support/Mouse.h"
#include "tests/support/TestTree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

using mouse::click;
using mouse::doubleClick;
using mouse::send;

TEST(LayoutCache, OneSlotKeyedOnEveryFieldAndTheDrawingKeyAddsSelectionSchemeAndLabels) {
    auto node = [](uintptr_t address) { return reinterpret_cast<const FileNode*>(address); };
    const VizKey base{3, node(0x20), 640, 480, 5, ColorMode::age};
    std::vector<VizKey> others(6, base);
    others[0].generation = 4, others[1].node = node(0x28), others[2].width = 641;
    others[3].height = 479, others[4].depth = 6, others[5].mode = ColorMode::folder;
    for (const VizKey& other : others) {
        int computed = 0;
        LayoutCache<int> cache;
        for (const VizKey& key : {base, VizKey(base), other, base})
            cache.value(key, [&] { return ++computed; });
        EXPECT_EQ(computed, 3); // the equal key reuses; the old key is gone once another came
    }
    const std::unordered_set<CanvasKey> drawn{{base, 640, 480, nullptr, ColorScheme::light, false},
                                              {base, 640, 480, nullptr, ColorScheme::light, false},
                                              {base, 640, 480, node(0x30), ColorScheme::light, false},
                                              {base, 640, 480, nullptr, ColorScheme::dark, false},
                                              {base, 640, 480, nullptr, ColorScheme::light, true}};
    EXPECT_EQ(drawn.size(), 4u);
}

struct Box {
    QRectF rect;
    FileNode* node;
};

// The children of the shown node as columns with 10-point gaps between them and an empty band of 20
// points at the bottom: empty canvas to move and click onto.
class ColumnCanvas : public LayoutCanvas<Box> {
  public:
    mutable int layouts = 0;
    mutable const FileNode* laidOut = nullptr; // the root of the latest layout
    int drawings = 0;
    const FileNode* outlined = nullptr; // the selection last drawn over the picture
    bool caches = true;                 // false: drawn on every paint, as the mind map is

    // The boxes' colour: one per colour mode, another with labels cut to initials.
    static QColor fill(const State& state) {
        if (state.abbreviateLabels) return QColor(200, 160, 20);
        return state.colorMode == ColorMode::folder ? QColor(0, 128, 128) : QColor(150, 30, 140);
    }

    FileNode* hitTest(QPointF point) const override {
        for (const Box& box : items())
            if (box.rect.contains(point)) return box.node;
        return nullptr;
    }

  protected:
    Items computeLayout(const LayoutInput& input) const override {
        ++layouts;
        laidOut = input.root;
        Items boxes;
        if (!input.root || input.root->children().empty()) return boxes;
        const auto children = input.root->children();
        const double width = double(input.width) / double(children.size());
        for (size_t i = 0; i < children.size(); ++i)
            boxes.push_back({QRectF(double(i) * width, 0, width - 10, input.height - 20), children[i]});
        return boxes;
    }
    void paintCanvas(QPainter& painter, QSizeF) override {
        ++drawings;
        for (const Box& box : items())
            painter.fillRect(box.rect, fill(state()));
    }
    void paintOverlay(QPainter&) override { outlined = state().selected; }
    bool cachesDrawing() const override { return caches; }
};

// root: [big folder with two files] [small file] [empty folder], in columns of 100 points. The test
// stands in for the state object: a click selects, a double click opens folders with children.
class CanvasGestures : public ::testing::Test {
  protected:
    void SetUp() override {
        big = t.folder(t.root(), "Big");
        inner1 = t.file(big, "inner1.mov", 600, FileCategory::video);
        inner2 = t.file(big, "inner2.mov", 400, FileCategory::video);
        small = t.file(t.root(), "small.txt", 300, FileCategory::document);
        empty = t.folder(t.root(), "Empty");
        t.finish();
        canvas.resize(300, 200);
        canvas.setState({.tree = t.tree, .folder = t.root(), .generation = 1});
        currentFolder = t.root();
        QObject::connect(&canvas, &CanvasView::selectRequested, [this](FileNode* node) {
            ++selections;
            canvas.setSelected(selected = node);
        });
        QObject::connect(&canvas, &CanvasView::openRequested, [this](FileNode* node) {
            if (node->isDirectory() && !node->children().empty()) canvas.setFolder(currentFolder = node);
            canvas.setSelected(selected = node);
        });
    }
    static QPointF column(int i) { return {100.0 * i + 45, 90}; }
    static QPointF gap() { return {95, 90}; }

    TestTree t;
    FileNode *big, *inner1, *inner2, *small, *empty;
    ColumnCanvas canvas;
    FileNode* currentFolder = nullptr;
    FileNode* selected = nullptr;
    int selections = 0;
};

TEST_F(CanvasGestures, HoverWritesOnlyWhenTheNodeChangesAndANewTreeDropsIt) {
    QSignalSpy hovered(&canvas, &CanvasView::hoveredChanged);
    send(canvas, QEvent::MouseMove, column(0));
    send(canvas, QEvent::MouseMove, column(0) + QPointF(10, 10)); // still inside the same node
    EXPECT_EQ(hovered.count(), 1);
    EXPECT_EQ(canvas.hoverChip()->node(), big);
    send(canvas, QEvent::MouseMove, gap());
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_FALSE(canvas.hoverChip()->isVisibleTo(&canvas));
    send(canvas, QEvent::MouseMove, gap() + QPointF(1, 0)); // empty to empty: no write
    EXPECT_EQ(hovered.count(), 2);
    send(canvas, QEvent::MouseMove, column(2));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&canvas, &leave);
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_EQ(hovered.count(), 4);
    send(canvas, QEvent::MouseMove, column(0));
    TestTree other;
    other.file(other.root(), "f", 1);
    other.finish();
    canvas.setState({.tree = other.tree, .folder = other.root(), .generation = 2});
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_FALSE(canvas.hoverChip()->isVisibleTo(&canvas));
}

TEST_F(CanvasGestures, TapSelectsDoubleTapOpensFoldersWithChildrenOnly) {
    click(canvas, column(1));
    EXPECT_EQ(selected, small);
    click(canvas, gap());                              // empty canvas keeps the selection
    send(canvas, QEvent::MouseButtonPress, column(0)); // a drag is no tap
    send(canvas, QEvent::MouseButtonRelease, column(0) + QPointF(30, 30));
    EXPECT_EQ(selected, small);
    EXPECT_EQ(selections, 1);
    doubleClick(canvas, column(2)); // an empty folder: selected only
    doubleClick(canvas, gap());
    EXPECT_EQ(selected, empty);
    EXPECT_EQ(currentFolder, t.root());
    EXPECT_EQ(selections, 2);
    // After "Big" opens, its first child lies under the pointer; the release must not select it.
    doubleClick(canvas, column(0));
    EXPECT_EQ(currentFolder, big);
    EXPECT_EQ(selected, big);
    EXPECT_EQ(selections, 3);
    EXPECT_EQ(canvas.hitTest(column(0)), inner1);
    click(canvas, QPointF(200, 90)); // the next click is a tap again
    EXPECT_EQ(selected, inner2);
}

TEST_F(CanvasGestures, ARightClickSelectsTheNodeBeforeItsMenuIsAskedFor) {
    std::vector<std::pair<FileNode*, FileNode*>> menus; // the node, and the selection when it was asked
    QObject::connect(&canvas, &CanvasView::menuRequested,
                     [&](FileNode* node, QPoint) { menus.emplace_back(node, selected); });
    for (QPointF at : {column(1), gap()}) {
        QContextMenuEvent request(QContextMenuEvent::Mouse, at.toPoint(), canvas.mapToGlobal(at.toPoint()));
        QApplication::sendEvent(&canvas, &request);
    }
    EXPECT_EQ(menus, (std::vector{std::pair{small, small}})); // empty canvas: no menu, no selection
    EXPECT_EQ(selections, 1);
}

TEST_F(CanvasGestures, LayoutAndDrawingFollowTheirKeys) {
    auto counts = [&] { // layouts and drawings made so far, after a paint
        (void)canvas.grab();
        return std::pair(canvas.layouts, canvas.drawings);
    };
    EXPECT_EQ(counts(), std::pair(1, 1));
    send(canvas, QEvent::MouseMove, column(0)); // hover: neither relayout nor redraw
    EXPECT_EQ(counts(), std::pair(1, 1));
    canvas.setSelected(small); // drawn over the picture
    EXPECT_EQ(counts(), std::pair(1, 1));
    EXPECT_EQ(canvas.outlined, small);
    ThemeManager::instance().setThemeName(ThemeName::dark);
    EXPECT_EQ(counts(), std::pair(1, 2));
    ThemeManager::instance().setThemeName(ThemeName::light);
    canvas.setAbbreviateLabels(true);
    EXPECT_EQ(counts(), std::pair(1, 3));
    canvas.resize(320, 200);
    EXPECT_EQ(counts(), std::pair(2, 4));
    canvas.setColorMode(ColorMode::type); // regrouped by type: a layout of other nodes
    EXPECT_EQ(counts().first, 3);
    EXPECT_TRUE(canvas.layoutRoot()->isVirtual());
    canvas.setDepth(3);
    EXPECT_EQ(counts().first, 4);
}

// A new colour mode cross-fades from the picture shown to the new one, easing out over 0.2 s; labels
// cut to initials over 0.15 s. Each frame of the fade mixes the two pictures by the eased progress and
// neither lays out nor draws the canvas again; the fade ends on the new picture. The same for a view
// that draws on every paint.
TEST_F(CanvasGestures, ColourModeAndLabelsCrossFadeFromThePictureShown) {
    for (bool caches : {true, false}) {
        SCOPED_TRACE(caches ? "cached" : "drawn on every paint");
        canvas.caches = caches;
        canvas.setColorMode(ColorMode::folder);
        canvas.setAbbreviateLabels(false);
        canvas.show();
        auto pixel = [&] { return canvas.grab().toImage().pixelColor(column(0).toPoint()); };
        const QColor folder = ColumnCanvas::fill(canvas.state());
        ASSERT_EQ(pixel(), folder);

        AnimationsOn animations;
        struct Change {
            std::function<void()> make;
            int durationMs;
        } const changes[] = {{[&] { canvas.setColorMode(ColorMode::age); }, 200},
                             {[&] { canvas.setAbbreviateLabels(true); }, 150}};
        for (const Change& change : changes) {
            const QColor from = pixel();
            change.make();
            const QColor to = ColumnCanvas::fill(canvas.state());
            ASSERT_NE(from, to);
            QVariantAnimation* fade = runningAnimation(canvas, "crossFade");
            ASSERT_NE(fade, nullptr);
            EXPECT_EQ(fade->duration(), change.durationMs);
            EXPECT_EQ(fade->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
            for (double time : {0.5, 0.25}) {
                holdAt(*fade, time);
                const double t = fade->currentValue().toDouble();
                EXPECT_GT(t, 0);
                EXPECT_LT(t, 1);
                const QColor shown = pixel();
                EXPECT_NEAR(shown.red(), from.red() + (to.red() - from.red()) * t, 1.5) << time;
                EXPECT_NEAR(shown.green(), from.green() + (to.green() - from.green()) * t, 1.5) << time;
                EXPECT_NEAR(shown.blue(), from.blue() + (to.blue() - from.blue()) * t, 1.5) << time;
            }
            const int layouts = canvas.layouts, drawings = canvas.drawings;
            holdAt(*fade, 0.6);
            (void)pixel();
            EXPECT_EQ(canvas.layouts, layouts);
            if (caches) {
                EXPECT_EQ(canvas.drawings, drawings) << "a frame of the fade only blends";
            }
            finish(*fade);
            EXPECT_FALSE(canvas.fade().isRunning());
            EXPECT_EQ(pixel(), to);
        }
        canvas.hide();
    }
}

// A widget that counts the mouse presses and releases that reach it.
class CountingWidget : public QWidget {
  public:
    using QWidget::QWidget;
    int presses = 0, releases = 0;

  protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++presses; }
    void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

TEST(PointerGestures, WatchedChildrenReportInTheSurfacesCoordinatesAndWhatActedGoesNoFurther) {
    QWidget surface;
    surface.resize(200, 200);
    auto* child = new CountingWidget(&surface);
    child->setGeometry(100, 50, 50, 50);
    surface.show();
    std::vector<QPointF> taps, doubleTaps;
    bool acting = false;
    PointerGestures gestures(&surface);
    gestures
        .onTap([&](QPointF point) {
            taps.push_back(point);
            return acting;
        })
        .onDoubleTap([&](QPointF point) {
            doubleTaps.push_back(point);
            return acting;
        });
    gestures.watch(child);
    doubleClick(*child, QPointF(10, 10)); // the handlers decline: the child sees every event
    EXPECT_EQ(taps, std::vector{QPointF(110, 60)});
    EXPECT_EQ(doubleTaps, std::vector{QPointF(110, 60)});
    EXPECT_EQ(child->presses, 2);
    EXPECT_EQ(child->releases, 2);
    acting = true;
    doubleClick(*child, QPointF(10, 10)); // taken: the tap's release and the double click stop here
    EXPECT_EQ(child->presses, 3);
    EXPECT_EQ(child->releases, 3);
}

// Every folder with files is regrouped on a pool thread. The test holds the tree's edit lock to keep a
// regrouping pending, as the main thread does while it removes trashed items.
class OffThreadRegrouping : public CanvasGestures {
  protected:
    void SetUp() override {
        CanvasGestures::SetUp();
        previousLimit = CanvasView::setInlineRegroupLimit(0);
        canvas.show();
    }
    void TearDown() override {
        QThreadPool::globalInstance()->waitForDone(); // jobs whose view is gone have finished too
        CanvasView::setInlineRegroupLimit(previousLimit);
    }
    bool laidOutGroupsOf(const FileNode* folder) {
        return QTest::qWaitFor([&] { return canvas.laidOut && canvas.laidOut->isVirtual(); }, 20000) &&
               canvas.laidOut->name() == folder->name();
    }
    int64_t previousLimit = 0;
};

TEST_F(OffThreadRegrouping, ThePendingFrameHitsNothingAndTheRegroupingIsLaidOutWhenItArrives) {
    std::unique_lock edit(t.tree->mutex());
    canvas.setColorMode(ColorMode::type);
    EXPECT_TRUE(canvas.layoutRoot() == nullptr && canvas.items().empty());
    send(canvas, QEvent::MouseMove, column(0));
    click(canvas, column(0));
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_EQ(selections, 0);
    QApplication::processEvents(); // the frame without cells is painted
    edit.unlock();
    // Nothing asks the view again: it lays out on its own once told the regrouping is there.
    ASSERT_TRUE(laidOutGroupsOf(t.root()));
    ASSERT_EQ(canvas.items().size(), 2u); // video 1,000 bytes, documents 300
    EXPECT_EQ(canvas.items()[0].node->children().size(), 2u);
    click(canvas, column(0));
    EXPECT_EQ(selected, canvas.items()[0].node);
}

TEST_F(OffThreadRegrouping, AViewGoneOrMovedOnAndATreeEditWhilePendingLeaveNoStaleLayout) {
    std::unique_lock edit(t.tree->mutex());
    auto gone = std::make_unique<ColumnCanvas>();
    gone->resize(300, 200);
    gone->setState(canvas.state());
    gone->setColorMode(ColorMode::age);
    canvas.setColorMode(ColorMode::type);
    canvas.setFolder(big);
    canvas.setColorMode(ColorMode::age);
    EXPECT_EQ(canvas.layoutRoot(), nullptr);
    gone.reset();
    // An edit while all three are pending: "inner2.mov" goes to the Trash.
    big->removeChildAt(1);
    big->sizeOnDisk -= inner2->sizeOnDisk;
    t.tree->noteEdited();
    edit.unlock();
    // Only the latest request is shown, made from the edited tree: one age section holding inner1.
    ASSERT_TRUE(laidOutGroupsOf(big));
    ASSERT_EQ(canvas.items().size(), 1u);
    const auto section = canvas.items()[0].node->children();
    EXPECT_EQ(std::vector<FileNode*>(section.begin(), section.end()), std::vector<FileNode*>{inner1});
    EXPECT_EQ(canvas.layoutRoot(), canvas.laidOut);
}

} // namespace
