// The registered views and the cleanup queue in the window.
#include "app/RegisterViews.h"
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "platform/Trash.h"
#include "shell/canvas/CanvasView.h"
#include "shell/canvas/FolderView.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/HoverChip.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/QueuePopover.h"
#include "shell/panels/TopBar.h"
#include "shell/panels/ViewRegistry.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Mouse.h"
#include "tests/support/Screenshots.h"
#include "tools/queue/CleanupQueueView.h"
#include "visualizations/foldergrid/FolderGridView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace {

class CanvasWindowTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        registerViews();
        fixture = makeFixture();
        vm = makeViewModel();
        window.setContent(new ContentView(*vm));
        window.resize(1680, 1050);
        window.show();
        scanAndWait(*vm, fixture);
    }
    ContentView* content() const { return static_cast<ContentView*>(window.content()); }

    std::string fixture;
    std::unique_ptr<ScanViewModel> vm;
    AppWindow window;
};

// Every view the application registers can be handed the next folder.
TEST_F(CanvasWindowTest, EveryRegisteredViewTakesTheNextFolder) {
    FileNode* documents = nodeAt(vm->root(), "Documents");
    for (VisualizationMode mode : visualization_mode::allCases) {
        if (!ViewRegistry::hasVisualization(mode)) continue;
        std::unique_ptr<QWidget> view(ViewRegistry::createVisualization(mode, *vm, vm->root(), nullptr));
        auto* folderView = dynamic_cast<FolderView*>(view.get());
        ASSERT_NE(folderView, nullptr) << visualization_mode::rawValue(mode);
        view->resize(800, 600);
        (void)view->grab();
        folderView->setFolder(documents);
        (void)view->grab();
    }
}

// A double click opens the folder under the pointer in every canvas view. The view stays, but its hover
// and chip described that folder, now the one shown: both are cleared until the pointer moves again.
TEST_F(CanvasWindowTest, OpeningAFolderClearsTheHoverUntilThePointerMoves) {
    for (VisualizationMode mode :
         {VisualizationMode::treemap, VisualizationMode::sunburst, VisualizationMode::flame,
          VisualizationMode::bubbles, VisualizationMode::mindMap}) {
        const std::string name(visualization_mode::rawValue(mode));
        vm->select(vm->root());
        vm->settings().setMode(mode);
        QCoreApplication::processEvents();
        flushDeletes();
        auto* view = window.findChild<CanvasView*>();
        ASSERT_NE(view, nullptr) << name;
        // A point over a folder that opens: one with children, on disk.
        std::optional<QPointF> over;
        for (int y = 2; y < view->height() && !over; y += 5)
            for (int x = 2; x < view->width() && !over; x += 5) {
                const FileNode* node = view->hitTest(QPointF(x, y));
                if (node && node != vm->root() && node->isDirectory() && !node->children().empty() &&
                    node->hasRealLocation())
                    over = QPointF(x, y);
            }
        ASSERT_TRUE(over) << name;
        FileNode* folder = view->hitTest(*over);

        mouse::hover(*view, *over);
        ASSERT_EQ(view->hovered(), folder) << name;
        ASSERT_EQ(view->hoverChip()->node(), folder) << name;
        mouse::doubleClick(*view, *over);
        ASSERT_EQ(vm->currentFolder(), folder) << name;
        QCoreApplication::processEvents();
        EXPECT_EQ(window.findChild<CanvasView*>(), view) << name; // the same view shows the folder
        EXPECT_EQ(view->hovered(), nullptr) << name;
        EXPECT_EQ(view->hoverChip()->node(), nullptr) << name;
        EXPECT_FALSE(view->hoverChip()->isVisible()) << name;

        // The next move finds what lies under the pointer in the folder shown.
        mouse::hover(*view, *over);
        EXPECT_EQ(view->hovered(), view->hitTest(*over)) << name;
    }
}

// Opening a folder from the grid, by a double click on its card or by "Open" in its menu, keeps the grid
// and the keyboard where they were: typing then never lands in the filter.
TEST_F(CanvasWindowTest, OpeningAFolderFromTheGridKeepsTheGridAndTheKeyboard) {
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    vm->settings().setMode(VisualizationMode::folders);
    QCoreApplication::processEvents();
    QPointer<FolderGridView> grid = window.findChild<FolderGridView*>();
    ASSERT_NE(grid, nullptr);
    FileNode* code = nodeAt(vm->root(), "Code");
    FileNode* project = nodeAt(code, "project");
    const auto openByDoubleClick = [&](FileNode* folder) {
        const QPoint at = grid->cellOf(folder).value().center().toPoint();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
    };
    const auto openFromTheMenu = [&](FileNode* folder) {
        const QPoint at = grid->cellOf(folder).value().center().toPoint();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &request);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().front()->text(), "Open");
        menu->actions().front()->trigger();
        menu->close();
    };
    for (auto [open, folder] : {std::pair{std::function<void(FileNode*)>(openByDoubleClick), code},
                                std::pair{std::function<void(FileNode*)>(openFromTheMenu), project}}) {
        open(folder);
        EXPECT_EQ(vm->currentFolder(), folder);
        QCoreApplication::processEvents();
        flushDeletes();
        QWidget* focused = window.focusWidget(); // where keys go once the window is active again
        ASSERT_NE(focused, nullptr);
        QTest::keyClicks(focused, "ab ");
        EXPECT_EQ(vm->filter(), "") << focused->metaObject()->className();
        ASSERT_FALSE(grid.isNull());
        EXPECT_EQ(window.findChild<FolderGridView*>(), grid.data());
        EXPECT_EQ(grid->folder(), folder);
    }
}

TEST_F(CanvasWindowTest, StagedItemsGoToTheTrashThroughThePopover) {
    FileNode* root = vm->root();
    FileNode* movies = nodeAt(root, "Movies");
    FileNode* notes = nodeAt(root, "Documents/notes.txt");
    const int64_t rootBefore = root->sizeOnDisk, filesBefore = root->fileCount();
    const int64_t staged = movies->sizeOnDisk + notes->sizeOnDisk, stagedFiles = movies->fileCount() + 1;
    for (FileNode* node :
         {movies, notes, nodeAt(root, "Movies/clips")}) // the last goes along with its folder
        ASSERT_TRUE(vm->cleanupQueue().add(node, "Staged from Explore"));

    QTest::mouseClick(content()->topBar()->queueButton(), Qt::LeftButton);
    QPointer<QueuePopover> popover = content()->topBar()->queuePopover();
    ASSERT_TRUE(popover);
    auto* queueView = qobject_cast<CleanupQueueView*>(popover->content());
    ASSERT_NE(queueView, nullptr);
    EXPECT_EQ(queueView->items().rowCount(), 3);
    for (ThemeName name : theme_name::allCases) {
        vm->settings().setThemeName(name);
        QCoreApplication::processEvents();
        ASSERT_TRUE(saveScreenshot(popover->grab().toImage(), "popover-queue", name));
    }
    vm->settings().setThemeName(ThemeName::light);

    QTest::mouseClick(queueView->moveButton(), Qt::LeftButton);
    QTest::mouseClick(queueView->confirmationMoveButton(), Qt::LeftButton);
    ASSERT_TRUE(popover); // the confirmation does not close the popover
    // Nothing failed: the popover closes, the items are in the Trash, and the tree lost exactly them.
    WAIT_FOR(popover.isNull() || !popover->isVisible());
    EXPECT_TRUE(vm->cleanupQueue().items().empty());
    const std::string trash = platform::FreedesktopTrash::trashFolderFor(fixture);
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/Movies/clips"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/notes.txt"));
    EXPECT_EQ(nodeAt(root, "Movies"), nullptr);
    EXPECT_EQ(root->sizeOnDisk, rootBefore - staged);
    EXPECT_EQ(root->fileCount(), filesBefore - stagedFiles);
    expectRolledUp(root);
}

} // namespace
