// The registered views and the cleanup queue in the window: a double click in the folder grid moves
// into a folder, and the whole road from a scan to items in the Trash through the top bar's popover.
#include "app/RegisterViews.h"
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "platform/Trash.h"
#include "shell/AppWindow.h"
#include "shell/Buttons.h"
#include "shell/ContentView.h"
#include "shell/QueuePopover.h"
#include "shell/TopBar.h"
#include "tools/CleanupQueueView.h"
#include "visualizations/FolderGridView.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Screenshots.h"

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

TEST_F(CanvasWindowTest, ADoubleClickInTheGridMovesIntoAFolder) {
    vm->setMode(VisualizationMode::folders);
    QCoreApplication::processEvents();
    QPointer<FolderGridView> grid = window.findChild<FolderGridView*>();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->folder(), vm->root());

    // The Explore tab builds a new grid for "Documents" after this one's event has finished.
    FileNode* documents = nodeAt(vm->root(), "Documents");
    const auto cell = grid->cellOf(documents);
    ASSERT_TRUE(cell.has_value());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell->center().toPoint());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell->center().toPoint());
    EXPECT_EQ(vm->currentFolder(), documents);
    QCoreApplication::processEvents();
    flushDeletes();
    EXPECT_TRUE(grid.isNull());
    auto* inside = window.findChild<FolderGridView*>();
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->folder(), documents);
    EXPECT_EQ(inside->partition().folders.size() + inside->partition().files.size(), documents->children().size());
}

TEST_F(CanvasWindowTest, StagedItemsGoToTheTrashThroughThePopover) {
    FileNode* root = vm->root();
    FileNode* movies = nodeAt(root, "Movies");
    FileNode* notes = nodeAt(root, "Documents/notes.txt");
    const int64_t rootBefore = root->sizeOnDisk, filesBefore = root->fileCount();
    const int64_t staged = movies->sizeOnDisk + notes->sizeOnDisk, stagedFiles = movies->fileCount() + 1;
    ASSERT_TRUE(vm->cleanupQueue().add(movies, "Staged from Explore"));
    ASSERT_TRUE(vm->cleanupQueue().add(notes, "Staged from Explore"));
    ASSERT_TRUE(vm->cleanupQueue().add(nodeAt(root, "Movies/clips"), "Staged from Explore")); // goes along

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

    // Asking and cancelling keep the popover open; so does asking again.
    QTest::mouseClick(queueView->moveButton(), Qt::LeftButton);
    ASSERT_TRUE(queueView->isConfirmationShown());
    QTest::mouseClick(queueView->confirmationCancelButton(), Qt::LeftButton);
    EXPECT_FALSE(queueView->isConfirmationShown());
    ASSERT_TRUE(popover && popover->isVisible());
    QTest::mouseClick(queueView->moveButton(), Qt::LeftButton);
    QTest::mouseClick(queueView->confirmationMoveButton(), Qt::LeftButton);
    ASSERT_TRUE(popover); // still open while the items move

    // Nothing failed: the popover closes, the items are in the desktop's Trash, the tree lost exactly
    // them and every folder's totals still add up.
    WAIT_FOR(popover.isNull() || !popover->isVisible());
    EXPECT_TRUE(vm->cleanupQueue().items().empty());
    const std::string trash = platform::FreedesktopTrash::trashFolderFor(fixture);
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/Movies/clips"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/notes.txt"));
    EXPECT_FALSE(std::filesystem::exists(fixture + "/Movies"));
    EXPECT_EQ(nodeAt(root, "Movies"), nullptr);
    EXPECT_EQ(root->sizeOnDisk, rootBefore - staged);
    EXPECT_EQ(root->fileCount(), filesBefore - stagedFiles);
    expectRolledUp(root);
}

} // namespace
