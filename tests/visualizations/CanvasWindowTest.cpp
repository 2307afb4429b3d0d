// The treemap, the sunburst and the cleanup queue as the window shows them: registered as the
// application registers them, at both window sizes and in both themes, and the whole road from a
// scan to items in the Trash through the top bar's popover.
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "platform/Trash.h"
#include "shell/AppWindow.h"
#include "shell/Buttons.h"
#include "shell/CanvasWiring.h"
#include "shell/ContentView.h"
#include "shell/QueuePopover.h"
#include "shell/TopBar.h"
#include "shell/ViewRegistry.h"
#include "tools/CleanupQueueView.h"
#include "visualizations/SunburstView.h"
#include "visualizations/TreemapView.h"
#include "tests/shell/ShellFixture.h"

#include <QDir>
#include <QPointer>
#include <QTest>

#include <filesystem>

namespace {

class CanvasWindowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ViewRegistry::registerVisualization(VisualizationMode::treemap, [](ScanViewModel& vm, FileNode* folder, QWidget* parent) {
            auto* view = new TreemapView(parent);
            wireCanvas(view, vm, folder);
            return static_cast<QWidget*>(view);
        });
        ViewRegistry::registerVisualization(VisualizationMode::sunburst, [](ScanViewModel& vm, FileNode* folder, QWidget* parent) {
            auto* view = new SunburstView(parent);
            ScanViewModel* model = &vm;
            view->setDisplayName([model](const FileNode& node) { return QString::fromStdString(model->displayName(node.path())); });
            wireCanvas(view, vm, folder);
            return static_cast<QWidget*>(view);
        });
        ViewRegistry::registerCleanupQueue([](ScanViewModel& vm, QWidget* parent) -> QWidget* { return new CleanupQueueView(vm, parent); });
        QDir().mkpath("screenshots");
    }

    void open(ScanViewModel& vm) {
        window = std::make_unique<AppWindow>();
        window->setContent(new ContentView(vm));
        window->resize(1680, 1050);
        window->show();
    }
    ContentView* content() const { return static_cast<ContentView*>(window->content()); }

    std::unique_ptr<AppWindow> window;
};

TEST_F(CanvasWindowTest, TreemapAndSunburstFillTheExploreArea) {
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    vm->setShowInspector(true);
    open(*vm);
    scanAndWait(*vm, fixture);
    vm->setSelectedNode(nodeAt(vm->root(), "Documents"));
    for (VisualizationMode mode : {VisualizationMode::treemap, VisualizationMode::sunburst}) {
        vm->setMode(mode);
        for (ThemeName name : {ThemeName::light, ThemeName::dark}) {
            vm->setThemeName(name);
            for (QSize size : {QSize(1680, 1050), QSize(1280, 760)}) {
                window->resize(size);
                QCoreApplication::processEvents();
                flushDeletes(); // the view of the previous mode
                CanvasView* canvas = window->findChild<CanvasView*>();
                ASSERT_NE(canvas, nullptr);
                EXPECT_TRUE(canvas->isVisible());
                EXPECT_GT(canvas->width(), 400);
                EXPECT_GT(canvas->height(), 400);
                EXPECT_EQ(canvas->state().folder, vm->root());
                const QString file = QStringLiteral("screenshots/window-%1-%2-%3x%4.png")
                                         .arg(mode == VisualizationMode::treemap ? "treemap" : "sunburst",
                                              name == ThemeName::light ? "light" : "dark")
                                         .arg(size.width())
                                         .arg(size.height());
                ASSERT_TRUE(window->grab().toImage().save(file)) << file.toStdString();
            }
        }
    }
    vm->setThemeName(ThemeName::light);
}

TEST_F(CanvasWindowTest, StagedItemsGoToTheTrashThroughThePopover) {
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    open(*vm);
    scanAndWait(*vm, fixture);
    FileNode* movies = nodeAt(vm->root(), "Movies");
    FileNode* notes = nodeAt(vm->root(), "Documents/notes.txt");
    const int64_t rootBefore = vm->root()->sizeOnDisk;
    const int64_t staged = movies->sizeOnDisk + notes->sizeOnDisk;
    ASSERT_TRUE(vm->cleanupQueue().add(movies, "Staged from Explore"));
    ASSERT_TRUE(vm->cleanupQueue().add(notes, "Staged from Explore"));

    QTest::mouseClick(content()->topBar()->queueButton(), Qt::LeftButton);
    QPointer<QueuePopover> popover = content()->topBar()->queuePopover();
    ASSERT_TRUE(popover);
    auto* queueView = qobject_cast<CleanupQueueView*>(popover->content());
    ASSERT_NE(queueView, nullptr);
    EXPECT_EQ(queueView->itemList()->rowCount(), 2);
    for (ThemeName name : {ThemeName::light, ThemeName::dark}) {
        vm->setThemeName(name);
        QCoreApplication::processEvents();
        ASSERT_TRUE(popover->grab().toImage().save(QStringLiteral("screenshots/popover-queue-%1.png")
                                                       .arg(name == ThemeName::light ? "light" : "dark")));
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

    // Nothing failed: the popover closes, the items are in the desktop's Trash, the tree lost them.
    WAIT_FOR(popover.isNull() || !popover->isVisible());
    EXPECT_TRUE(vm->cleanupQueue().items().empty());
    const std::string trash = platform::FreedesktopTrash::trashFolderFor(fixture);
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/Movies"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/notes.txt"));
    EXPECT_FALSE(std::filesystem::exists(fixture + "/Movies"));
    EXPECT_EQ(nodeAt(vm->root(), "Movies"), nullptr);
    EXPECT_EQ(vm->root()->sizeOnDisk, rootBefore - staged);
}

} // namespace
