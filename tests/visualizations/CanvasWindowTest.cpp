// The registered views and the cleanup queue in the window.
#include "app/RegisterViews.h"
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "platform/Trash.h"
#include "shell/controls/Buttons.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/QueuePopover.h"
#include "shell/panels/TopBar.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Screenshots.h"
#include "tools/CleanupQueueView.h"
#include "visualizations/FolderGridView.h"

#include <QPointer>
#include <QTest>

#include <filesystem>

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

// The Explore tab replaces the grid from inside the grid's own double click.
TEST_F(CanvasWindowTest, ADoubleClickInTheGridMovesIntoAFolder) {
    vm->setMode(VisualizationMode::folders);
    QCoreApplication::processEvents();
    QPointer<FolderGridView> grid = window.findChild<FolderGridView*>();
    ASSERT_NE(grid, nullptr);
    FileNode* documents = nodeAt(vm->root(), "Documents");
    const QPoint at = grid->cellOf(documents).value().center().toPoint();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(vm->currentFolder(), documents);
    QCoreApplication::processEvents();
    flushDeletes();
    EXPECT_TRUE(grid.isNull());
    auto* inside = window.findChild<FolderGridView*>();
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->folder(), documents);
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
    EXPECT_EQ(queueView->itemList()->rowCount(), 3);
    for (ThemeName name : theme_name::allCases) {
        vm->setThemeName(name);
        QCoreApplication::processEvents();
        ASSERT_TRUE(saveScreenshot(popover->grab().toImage(), "popover-queue", name));
    }
    vm->setThemeName(ThemeName::light);

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
