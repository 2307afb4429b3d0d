#include "shell/CanvasView.h"
#include "shell/HoverChip.h"
#include "shell/LayoutCache.h"
#include "shell/Theme.h"

#include "tests/support/Mouse.h"
#include "tests/support/TestTree.h"

#include <QApplication>
#include <QMouseEvent>
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

// ---- Keys and the cache -------------------------------------------------------------------------

TEST(LayoutCache, SameKeyReusesAnyChangedFieldRecomputes) {
    const VizKey base{3, reinterpret_cast<const FileNode*>(0x20), 640, 480, 5, ColorMode::age};
    std::vector<VizKey> changed(6, base);
    changed[0].generation = 4;
    changed[1].node = reinterpret_cast<const FileNode*>(0x28);
    changed[2].width = 641;
    changed[3].height = 479;
    changed[4].depth = 6;
    changed[5].mode = ColorMode::folder;
    for (const VizKey& other : changed) {
        int computed = 0;
        LayoutCache<int> cache;
        EXPECT_EQ(cache.value(base, [&] { return ++computed; }), 1);
        EXPECT_EQ(cache.value(VizKey(base), [&] { return ++computed; }), 1); // an equal key: the same layout
        EXPECT_EQ(cache.value(other, [&] { return ++computed; }), 2);
        EXPECT_EQ(cache.value(base, [&] { return ++computed; }), 3); // one slot: the old key is gone
    }
    EXPECT_EQ(std::hash<VizKey>()(VizKey(base)), std::hash<VizKey>()(base));

    // The drawing key adds the selection, the scheme and the labels to the layout key.
    const CanvasKey drawn{base, 640, 480, nullptr, ColorScheme::light, false};
    std::vector<CanvasKey> others(3, drawn);
    others[0].selected = reinterpret_cast<const FileNode*>(0x30);
    others[1].scheme = ColorScheme::dark;
    others[2].abbreviateLabels = true;
    std::unordered_set<CanvasKey> set{drawn, CanvasKey(drawn)};
    for (const CanvasKey& other : others) {
        EXPECT_FALSE(other == drawn);
        set.insert(other);
    }
    EXPECT_EQ(set.size(), 4u);
}

// ---- A tiny canvas view -------------------------------------------------------------------------

struct Box {
    QRectF rect;
    FileNode* node;
};

// The children of the shown node as columns with 10-point gaps between them and an empty band of 20
// points at the bottom: empty canvas to move and click onto.
std::vector<Box> columnLayout(const LayoutInput& input) {
    std::vector<Box> boxes;
    if (!input.root || input.root->children().empty()) return boxes;
    const auto children = input.root->children();
    const double width = double(input.width) / double(children.size());
    for (size_t i = 0; i < children.size(); ++i)
        boxes.push_back({QRectF(double(i) * width, 0, width - 10, input.height - 20), children[i]});
    return boxes;
}

class ColumnCanvas : public LayoutCanvas<Box> {
public:
    mutable int layouts = 0;
    mutable const FileNode* laidOut = nullptr; // the root of the latest layout
    int drawings = 0;
    const FileNode* outlined = nullptr; // the selection the last paint drew over the picture

    FileNode* hitTest(QPointF point) const override {
        for (const Box& box : items())
            if (box.rect.contains(point)) return box.node;
        return nullptr;
    }

protected:
    Items computeLayout(const LayoutInput& input) const override {
        ++layouts;
        laidOut = input.root;
        return columnLayout(input);
    }
    void paintCanvas(QPainter& painter, QSizeF) override {
        ++drawings;
        for (const Box& box : items()) painter.fillRect(box.rect, Qt::darkCyan);
    }
    void paintOverlay(QPainter&) override { outlined = state().selected; }
};

// Stands in for the state object: a click selects, a double click opens folders with children.
struct FakeViewModel {
    FileNode* currentFolder = nullptr;
    FileNode* selected = nullptr;
    int selections = 0;

    void attach(ColumnCanvas& canvas) {
        QObject::connect(&canvas, &CanvasView::selectRequested, [this, &canvas](FileNode* node) {
            ++selections;
            selected = node;
            canvas.setSelected(node);
        });
        QObject::connect(&canvas, &CanvasView::openRequested, [this, &canvas](FileNode* node) {
            if (node->isDirectory() && !node->children().empty()) {
                currentFolder = node;
                canvas.setFolder(node);
            }
            selected = node;
            canvas.setSelected(node);
        });
    }
};



class CanvasGestures : public ::testing::Test {
protected:
    void SetUp() override {
        // root: [big folder with two files] [small file] [empty folder]
        big = t.folder(t.root(), "Big");
        inner1 = t.file(big, "inner1.mov", 600, FileCategory::video);
        inner2 = t.file(big, "inner2.mov", 400, FileCategory::video);
        small = t.file(t.root(), "small.txt", 300, FileCategory::document);
        empty = t.folder(t.root(), "Empty");
        t.finish();
        canvas.resize(300, 200);
        CanvasView::State state;
        state.tree = t.tree;
        state.folder = t.root();
        state.generation = 1;
        canvas.setState(state);
        vm.currentFolder = t.root();
        vm.attach(canvas);
    }
    // Column centres: 3 columns of 100 points, 90 wide, 180 high.
    static QPointF column(int i) { return {100.0 * i + 45, 90}; }
    static QPointF gap() { return {95, 90}; }

    TestTree t;
    FileNode *big, *inner1, *inner2, *small, *empty;
    ColumnCanvas canvas;
    FakeViewModel vm;
};

TEST_F(CanvasGestures, HoverWritesOnlyWhenTheNodeChanges) {
    QSignalSpy hovered(&canvas, &CanvasView::hoveredChanged);
    send(canvas, QEvent::MouseMove, column(0));
    send(canvas, QEvent::MouseMove, column(0) + QPointF(10, 10)); // still inside the same node
    EXPECT_EQ(hovered.count(), 1);
    EXPECT_EQ(canvas.hovered(), big);
    EXPECT_TRUE(canvas.hoverChip()->isVisibleTo(&canvas));
    EXPECT_EQ(canvas.hoverChip()->node(), big);
    // The chip sits at the bottom-left corner.
    EXPECT_EQ(canvas.hoverChip()->geometry().bottomLeft(), QPoint(0, canvas.height() - 1));

    send(canvas, QEvent::MouseMove, column(1));
    EXPECT_EQ(canvas.hovered(), small);
    send(canvas, QEvent::MouseMove, gap());
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_FALSE(canvas.hoverChip()->isVisibleTo(&canvas));
    send(canvas, QEvent::MouseMove, gap() + QPointF(1, 0)); // empty to empty: no write
    EXPECT_EQ(hovered.count(), 3);

    send(canvas, QEvent::MouseMove, column(2));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&canvas, &leave);
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_EQ(hovered.count(), 5);
}

TEST_F(CanvasGestures, TapSelectsAndEmptyCanvasKeepsTheSelection) {
    click(canvas, column(1));
    EXPECT_EQ(vm.selected, small);
    EXPECT_EQ(vm.currentFolder, t.root());
    click(canvas, gap());
    EXPECT_EQ(vm.selected, small);
    EXPECT_EQ(vm.selections, 1);
    // A drag is no tap.
    send(canvas, QEvent::MouseButtonPress, column(0));
    send(canvas, QEvent::MouseButtonRelease, column(0) + QPointF(30, 30));
    EXPECT_EQ(vm.selected, small);
}

TEST_F(CanvasGestures, DoubleTapOpensAFolderAndItsReleaseSelectsNothingElse) {
    // After "Big" opens, its first child lies under the pointer; the release must not select it.
    doubleClick(canvas, column(0));
    EXPECT_EQ(vm.currentFolder, big);
    EXPECT_EQ(vm.selected, big);
    EXPECT_EQ(vm.selections, 1); // the first click only
    EXPECT_EQ(canvas.hitTest(column(0)), inner1);

    // The next ordinary click is a tap again (two columns now: the second starts at 150).
    click(canvas, QPointF(200, 90));
    EXPECT_EQ(vm.selected, inner2);
}

TEST_F(CanvasGestures, DoubleTapOnAFileOrEmptyFolderOnlySelects) {
    doubleClick(canvas, column(1));
    EXPECT_EQ(vm.selected, small);
    EXPECT_EQ(vm.currentFolder, t.root());
    doubleClick(canvas, column(2));
    EXPECT_EQ(vm.selected, empty);
    EXPECT_EQ(vm.currentFolder, t.root());
    const int before = vm.selections;
    doubleClick(canvas, gap());
    EXPECT_EQ(vm.selected, empty);
    EXPECT_EQ(vm.selections, before);
}

TEST_F(CanvasGestures, LayoutAndDrawingFollowTheirKeys) {
    auto render = [&] { (void)canvas.grab(); };
    render();
    EXPECT_EQ(canvas.layouts, 1);
    EXPECT_EQ(canvas.drawings, 1);
    render();
    send(canvas, QEvent::MouseMove, column(0)); // hover: neither relayout nor redraw
    render();
    EXPECT_EQ(canvas.layouts, 1);
    EXPECT_EQ(canvas.drawings, 1);

    canvas.setSelected(small); // drawn over the picture: neither relayout nor redraw
    render();
    EXPECT_EQ(canvas.layouts, 1);
    EXPECT_EQ(canvas.drawings, 1);
    EXPECT_EQ(canvas.outlined, small);

    ThemeManager::instance().setThemeName(ThemeName::dark); // redraw only
    render();
    ThemeManager::instance().setThemeName(ThemeName::light);
    EXPECT_EQ(canvas.layouts, 1);
    EXPECT_EQ(canvas.drawings, 2);

    canvas.setAbbreviateLabels(true);
    render();
    EXPECT_EQ(canvas.layouts, 1);
    EXPECT_EQ(canvas.drawings, 3);

    canvas.resize(320, 200); // relayout and redraw
    render();
    EXPECT_EQ(canvas.layouts, 2);
    EXPECT_EQ(canvas.drawings, 4);

    canvas.setColorMode(ColorMode::type); // regrouped by type: a new layout of other nodes
    render();
    EXPECT_EQ(canvas.layouts, 3);
    EXPECT_NE(canvas.layoutRoot(), t.root());
    EXPECT_TRUE(canvas.layoutRoot()->isVirtual());

    canvas.setDepth(3);
    render();
    EXPECT_EQ(canvas.layouts, 4);
}

// ---- Regroupings made off the window thread -----------------------------------------------------

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
    EXPECT_EQ(canvas.layoutRoot(), nullptr);
    EXPECT_TRUE(canvas.items().empty());
    send(canvas, QEvent::MouseMove, column(0));
    click(canvas, column(0));
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_EQ(vm.selections, 0);
    QApplication::processEvents(); // the frame without cells is painted

    edit.unlock();
    // Nothing asks the view again: it lays out on its own once told the regrouping is there.
    ASSERT_TRUE(laidOutGroupsOf(t.root()));
    ASSERT_EQ(canvas.items().size(), 2u); // video 1,000 bytes, documents 300
    EXPECT_EQ(canvas.items()[0].node->children().size(), 2u);
    click(canvas, column(0));
    EXPECT_EQ(vm.selected, canvas.items()[0].node);
}

TEST_F(OffThreadRegrouping, AViewGoneOrMovedOnAndATreeEditWhilePendingLeaveNoStaleLayout) {
    std::unique_lock edit(t.tree->mutex());
    auto gone = std::make_unique<ColumnCanvas>();
    gone->resize(300, 200);
    gone->setState(canvas.state());
    gone->setColorMode(ColorMode::age);
    EXPECT_EQ(gone->layoutRoot(), nullptr);
    canvas.setColorMode(ColorMode::type);
    EXPECT_EQ(canvas.layoutRoot(), nullptr);
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

TEST_F(CanvasGestures, ANewTreeDropsTheHoveredNode) {
    send(canvas, QEvent::MouseMove, column(0));
    ASSERT_EQ(canvas.hovered(), big);
    TestTree other;
    other.file(other.root(), "f", 1);
    other.finish();
    CanvasView::State state;
    state.tree = other.tree;
    state.folder = other.root();
    state.generation = 2;
    canvas.setState(state);
    EXPECT_EQ(canvas.hovered(), nullptr);
    EXPECT_FALSE(canvas.hoverChip()->isVisibleTo(&canvas));
}

} // namespace
