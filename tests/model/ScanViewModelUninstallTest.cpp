#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "model/ScanTree.h"
#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>

#include <filesystem>
#include <optional>
#include <unistd.h>

class ViewModelUninstallTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        app.id = QUuid::createUuid();
        app.bundleURL = dir.writeFile("home/Applications/Tool.AppImage", 4096).string();
        app.bundleIdentifier = "tool";
        app.displayName = "Tool";
        app.leftovers.push_back({QUuid::createUuid(), "Caches",
                                 {dir.writeFile("home/.cache/tool/a", 10).string(),
                                  dir.writeFile("home/.cache/tool-x/b", 10).string()},
                                 20});
        app.leftovers.push_back({QUuid::createUuid(), "Preferences",
                                 {dir.writeFile("home/.config/tool.conf", 10).string(),
                                  dir.writeFile("home/.config/tool/c", 10).string()},
                                 20});
        vm = makeViewModel();
    }

    // Runs the flow to its end and returns the paths that failed.
    std::vector<std::string> uninstall() {
        std::optional<std::vector<std::string>> failed;
        vm->uninstall(app, [&](std::vector<std::string> f) { failed = std::move(f); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return failed.has_value(); }, 30000));
        return failed.value_or(std::vector<std::string>{"(never finished)"});
    }
    std::vector<std::string> allPaths() const {
        std::vector<std::string> paths{app.bundleURL};
        for (const auto& g : app.leftovers) paths.insert(paths.end(), g.urls.begin(), g.urls.end());
        return paths;
    }

    AppUninstaller::InstalledApp app;
    std::unique_ptr<ScanViewModel> vm;
};

TEST_F(ViewModelUninstallTest, WithoutRunningInstancesGoesStraightToTheTrash) {
    EXPECT_TRUE(uninstall().empty());
    EXPECT_EQ(processes->askedFor, app.bundleURL);
    EXPECT_TRUE(processes->terminated.empty());
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(trash->moved().size(), 5u);
    for (const auto& p : allPaths()) EXPECT_FALSE(std::filesystem::exists(p)) << p;
}

TEST_F(ViewModelUninstallTest, WaitsOnTimersForInstancesAndKillsOnlyTheStubbornOnes) {
    const int self = static_cast<int>(getpid());
    processes->instances = {{{101, 1}, 0, true}, {{102, 1}, 3, true}, {{self, 1}, -1, false}};
    EXPECT_TRUE(uninstall().empty());
    // Brenwick itself is never signalled, whatever the process list says.
    EXPECT_EQ(processes->terminated, (std::vector<int>{101, 102}));
    EXPECT_EQ(waits, 3);
    EXPECT_TRUE(processes->killed.empty());

    processes->terminated.clear();
    waits = 0;
    for (const auto& p : allPaths()) dir.writeFile(p.substr(dir.str().size() + 1), 10);
    processes->instances = {{{201, 1}, 0, true}, {{202, 1}, -1, true}};
    EXPECT_TRUE(uninstall().empty());
    EXPECT_EQ(processes->terminated, (std::vector<int>{201, 202}));
    EXPECT_EQ(waits, 50);
    EXPECT_EQ(processes->killed, std::vector<int>{202});
}

TEST_F(ViewModelUninstallTest, TrashedPathsLeaveTheQueueAndTheTree) {
    scanAndWait(*vm, dir.str() + "/home");
    const int64_t rootSize = vm->root()->sizeOnDisk;
    const std::string failing = app.leftovers[1].urls[0];
    trash->refused = {failing};
    vm->cleanupQueue().addAll({{app.bundleURL, 4096}, {failing, 10}}, "Staged from Explore");

    EXPECT_EQ(uninstall(), std::vector<std::string>{failing});
    ASSERT_EQ(vm->cleanupQueue().items().size(), 1u);
    EXPECT_EQ(vm->cleanupQueue().items()[0].path, failing);
    EXPECT_EQ(vm->generation(), 2);
    EXPECT_EQ(ScanViewModel::findNode(app.bundleURL, vm->root()), nullptr);
    EXPECT_NE(ScanViewModel::findNode(failing, vm->root()), nullptr);
    EXPECT_LT(vm->root()->sizeOnDisk, rootSize);
}

TEST_F(ViewModelUninstallTest, WhenNothingMovesNothingChanges) {
    scanAndWait(*vm, dir.str() + "/home");
    for (const auto& p : allPaths()) trash->refused.insert(p);
    vm->cleanupQueue().addAll({{app.bundleURL, 4096}}, "Staged from Explore");

    auto failed = uninstall();
    std::sort(failed.begin(), failed.end());
    auto expected = allPaths();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(failed, expected);
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_EQ(vm->cleanupQueue().items().size(), 1u);
}
