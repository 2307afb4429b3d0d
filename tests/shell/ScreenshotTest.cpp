// Renders the main window's screens in both themes at the default and the minimum size to
// build/test/tests/screenshots, to be looked at; checks only that nothing leaves its place.
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "shell/AppWindow.h"
#include "shell/Buttons.h"
#include "shell/ContentView.h"
#include "shell/ExploreView.h"
#include "shell/QueuePopover.h"
#include "shell/TopBar.h"
#include "tests/shell/ShellFixture.h"

#include <QDir>
#include <QTest>

namespace {

class ScreenshotTest : public ShellTest {
protected:
    struct Size {
        QSize size;
        const char* name;
    };
    static constexpr Size kSizes[] = {{{1680, 1050}, "1680x1050"}, {{1280, 760}, "1280x760"}};

    void SetUp() override {
        ShellTest::SetUp();
        QDir().mkpath("screenshots");
    }

    // Shows the content in a window of each size and theme and saves `<name>-<theme>-<size>.png`.
    void shoot(ScanViewModel& vm, const QString& name) {
        for (ThemeName themeName : {ThemeName::light, ThemeName::dark}) {
            vm.setThemeName(themeName);
            for (const Size& s : kSizes) {
                window_->resize(s.size);
                QCoreApplication::processEvents();
                const QImage image = window_->grab().toImage();
                const QString file = QStringLiteral("screenshots/window-%1-%2-%3.png")
                                         .arg(name, themeName == ThemeName::light ? "light" : "dark", s.name);
                ASSERT_TRUE(image.save(file)) << file.toStdString();
                auto* content = static_cast<ContentView*>(window_->content());
                // The row fills the window: the tab screen is never squeezed to nothing.
                EXPECT_GT(content->tabScreenGeometry().width(), 500) << file.toStdString();
                EXPECT_EQ(content->tabScreenGeometry().right() + (content->inspector() ? 383 : 0), s.size.width() - 1);
            }
        }
        vm.setThemeName(ThemeName::light);
    }

    void open(ScanViewModel& vm) {
        window_ = std::make_unique<AppWindow>();
        window_->setContent(new ContentView(vm));
        window_->resize(kSizes[0].size);
        window_->show();
    }

    std::unique_ptr<AppWindow> window_;
};

TEST_F(ScreenshotTest, StartScanningExploreAndEveryTab) {
    const std::string fixture = makeFixture();
    dir.writeFile("fixture/slow/waiting.bin", 10);
    deniedFolders[fixture + "/Music/album"] = EACCES;
    auto vm = makeViewModel();
    vm->setShowInspector(true);
    open(*vm);

    shoot(*vm, "start");

    vm->scan(fixture);
    WAIT_FOR(vm->status().filesScanned > 0); // live counters, the scan held at "slow"
    shoot(*vm, "scanning");
    gate->release();
    WAIT_FOR(vm->status().kind == ScanViewModel::Status::Kind::done);

    vm->setMode(VisualizationMode::treemap);
    shoot(*vm, "explore-notice");
    vm->setShowAccessNotice(false);

    // Deep enough for the breadcrumb to fill up, with the queue badge showing.
    FileNode* deep = nodeAt(vm->root(), "Code/project/src/deep");
    vm->setCurrentFolder(deep);
    vm->cleanupQueue().add(vm->root()->children()[0], "Staged from Explore");
    vm->setMode(VisualizationMode::ageMap);
    shoot(*vm, "explore-deep");
    // A long name: the title and the crumbs shorten, nothing runs under the buttons.
    FileNode* longName = deep->parent()->parent();
    for (FileNode* c : longName->children())
        if (c->name().starts_with("Quarterly")) longName = c;
    vm->setCurrentFolder(longName);
    vm->setMode(VisualizationMode::treemap);
    shoot(*vm, "explore-longname");

    vm->setCurrentFolder(vm->root());
    vm->setMode(VisualizationMode::folders);
    vm->setShowInspector(false);
    shoot(*vm, "explore-noinspector");
    vm->setShowInspector(true);

    for (AppTab tab : app_tab::allCases) {
        vm->setTab(tab);
        shoot(*vm, QStringLiteral("tab-") + QString::fromUtf8(app_tab::rawValue(tab).data()).toLower());
    }
}

TEST_F(ScreenshotTest, QueuePopover) {
    auto vm = makeViewModel();
    open(*vm);
    auto* content = static_cast<ContentView*>(window_->content());
    QTest::mouseClick(content->topBar()->queueButton(), Qt::LeftButton);
    QueuePopover* popover = content->topBar()->queuePopover();
    ASSERT_TRUE(popover);
    for (ThemeName themeName : {ThemeName::light, ThemeName::dark}) {
        vm->setThemeName(themeName);
        const QString file = QStringLiteral("screenshots/popover-%1.png").arg(themeName == ThemeName::light ? "light" : "dark");
        ASSERT_TRUE(popover->grab().toImage().save(file));
    }
}

} // namespace
