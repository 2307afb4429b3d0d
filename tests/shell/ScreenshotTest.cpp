// The main window's screens, with the views the application registers, pictured in both themes to
// build/test/tests/screenshots for the team; at the default and the minimum size nothing leaves its place.
#include "app/RegisterViews.h"
#include "model/CleanupQueue.h"
#include "shell/canvas/CanvasView.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Screenshots.h"
#include "visualizations/foldergrid/FolderGridView.h"

namespace {

class ScreenshotTest : public ShellTest {
  protected:
    // Saves `window-<name>-<theme>.png` at the default size; the row fills the window at both sizes.
    void shoot(ScanViewModel& vm, const QString& name) {
        for (ThemeName themeName : theme_name::allCases) {
            vm.settings().setThemeName(themeName);
            for (QSize size : {QSize(1280, 760), QSize(1680, 1050)}) {
                window_->resize(size);
                QCoreApplication::processEvents();
                flushDeletes();
                auto* content = static_cast<ContentView*>(window_->content());
                EXPECT_GT(content->tabScreenGeometry().width(), 500) << name.toStdString();
                QWidget* last = content->inspector();
                const int right =
                    last ? last->mapTo(window_.get(), QPoint(last->width() - 1, 0)).x()
                         : content->mapTo(window_.get(), content->tabScreenGeometry().topRight()).x();
                EXPECT_EQ(right, size.width() - 1) << name.toStdString();
            }
            ASSERT_TRUE(saveScreenshot(window_->grab().toImage(), "window-" + name, themeName));
        }
        vm.settings().setThemeName(ThemeName::light);
    }

    std::unique_ptr<AppWindow> window_;
};

TEST_F(ScreenshotTest, StartScanningExploreInEveryViewAndEveryTab) {
    registerViews();
    const std::string fixture = makeFixture();
    dir.writeFile("fixture/slow/waiting.bin", 10);
    deniedFolders[fixture + "/Music/album"] = EACCES;
    auto vm = makeViewModel();
    vm->settings().setShowInspector(true);
    window_ = std::make_unique<AppWindow>();
    window_->setContent(new ContentView(*vm));
    window_->show();

    shoot(*vm, "start");

    vm->scan(fixture);
    WAIT_FOR(vm->status().filesScanned > 0); // live counters, the scan held at "slow"
    shoot(*vm, "scanning");
    gate->release();
    WAIT_FOR(vm->status().kind == ScanViewModel::Status::Kind::done);

    vm->settings().setMode(VisualizationMode::treemap);
    shoot(*vm, "explore-notice");
    vm->setShowAccessNotice(false);
    // Each registered view fills the Explore area and shows the current folder.
    vm->setSelectedNode(nodeAt(vm->root(), "Documents"));
    for (VisualizationMode mode :
         {VisualizationMode::folders, VisualizationMode::treemap, VisualizationMode::sunburst}) {
        vm->settings().setMode(mode);
        shoot(*vm, QString::fromUtf8(visualization_mode::rawValue(mode).data()).toLower());
        auto* grid = window_->findChild<FolderGridView*>();
        auto* canvas = window_->findChild<CanvasView*>();
        ASSERT_TRUE(grid || canvas);
        EXPECT_EQ(grid ? grid->folder() : canvas->state().folder, vm->root());
        EXPECT_TRUE(grid || canvas->height() > 400);
    }
    // Deep enough for the breadcrumb to fill up, with the queue badge showing.
    FileNode* deep = nodeAt(vm->root(), "Code/project/src/deep");
    vm->setCurrentFolder(deep);
    vm->cleanupQueue().add(deep->children()[0], "Staged from Explore");
    vm->setSelectedNode(deep->children()[0]); // the inspector shows it staged
    vm->settings().setMode(VisualizationMode::ageMap);
    shoot(*vm, "explore-deep");
    // A long name: the title and the crumbs shorten, nothing runs under the buttons.
    auto project = deep->parent()->parent()->children();
    vm->setCurrentFolder(
        *std::ranges::find_if(project, [](FileNode* c) { return c->name().starts_with("Quarterly"); }));
    vm->settings().setMode(VisualizationMode::treemap);
    shoot(*vm, "explore-longname");

    vm->setCurrentFolder(vm->root());
    vm->settings().setMode(VisualizationMode::folders);
    vm->settings().setShowInspector(false);
    shoot(*vm, "explore-noinspector");
    vm->settings().setShowInspector(true);

    for (AppTab tab : app_tab::allCases) {
        vm->settings().setTab(tab);
        shoot(*vm, QStringLiteral("tab-") + QString::fromUtf8(app_tab::rawValue(tab).data()).toLower());
    }
}

} // namespace
