#include "app/EnvironmentHooks.h"
#include "model/EarlyWalk.h"
#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Status = ScanViewModel::Status;

TEST_F(ViewModelTest, TheModeHookTakesAViewTitleExactly) {
    qputenv("BRENWICK_MODE", "Mind Map");
    auto vm = makeViewModel();
    applyEnvironmentHooks(*vm);
    EXPECT_EQ(vm->settings().mode(), VisualizationMode::mindMap);
    for (const char* ignored : {"mindMap", "Mind Map ", "mind map"}) {
        qputenv("BRENWICK_MODE", ignored);
        auto other = makeViewModel();
        applyEnvironmentHooks(*other);
        EXPECT_EQ(other->settings().mode(), VisualizationMode::folders) << ignored;
    }
    EXPECT_TRUE(scanners.empty()); // no folder asked for, none scanned
}

// The start-up scan walks while the window is built, before the event loop runs; it is published from
// the event loop as any scan is: first its start, then its counters, then its result.
TEST_F(ViewModelTest, TheStartUpScanWalksBeforeTheEventLoopAndIsPublishedInOrder) {
    dir.writeFile("start/a/one.txt", 5000);
    dir.writeFile("start/slow/two.txt", 5000);
    const std::string path = dir.str() + "/start";
    qputenv("BRENWICK_SCAN", (path + "/").c_str());
    auto vm = makeViewModel();
    EXPECT_TRUE(scanners.empty()); // the state object alone starts nothing
    applyEnvironmentHooks(*vm);
    std::vector<Status> seen;
    QObject::connect(vm.get(), &ScanViewModel::statusChanged, [&] { seen.push_back(vm->status()); });
    ASSERT_EQ(scanners.size(), 1u);
    for (int i = 0; i < 30000 && gate->reached() == 0; ++i) // without the event loop
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(gate->reached(), 1);
    // Long enough for the counters to be due before the start is published.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(vm->status(), Status::idle());
    QCoreApplication::processEvents();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), Status::scanning(0, 0, path));
    WAIT_FOR(vm->status().filesScanned == 1);
    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(seen.back(), Status::done());
    EXPECT_EQ(vm->root()->fileCount(), 2);
    EXPECT_EQ(vm->recentScans().recents().front(), path);
}

// BRENWICK_SCAN's walk can begin before the application object; the state object takes it over and
// publishes it as any scan (its start, then its result), without making a scanner of its own.
TEST_F(ViewModelTest, TheEarlyWalkIsTakenOverAndPublishedInOrder) {
    EXPECT_EQ(startEarlyWalk(), nullptr); // no folder asked for
    dir.writeFile("start/a/one.txt", 5000);
    dir.writeFile("start/two.txt", 10);
    const std::string path = dir.str() + "/start";
    qputenv("BRENWICK_SCAN", (path + "/").c_str());
    std::unique_ptr<EarlyWalk> early = startEarlyWalk();
    ASSERT_TRUE(early);
    EXPECT_EQ(early->path(), path);

    auto vm = makeViewModel();
    std::vector<Status> seen;
    QObject::connect(vm.get(), &ScanViewModel::statusChanged, [&] { seen.push_back(vm->status()); });
    applyEnvironmentHooks(*vm, std::move(early));
    EXPECT_EQ(vm->status(), Status::idle()); // published from the event loop
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_TRUE(scanners.empty());
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), Status::scanning(0, 0, path));
    EXPECT_EQ(seen.back(), Status::done());
    EXPECT_EQ(vm->root()->path(), path);
    EXPECT_EQ(vm->root()->fileCount(), 2);
    EXPECT_GT(vm->scanDuration(), 0);
    EXPECT_EQ(vm->recentScans().recents().front(), path);
}

// Started from a working folder that was deleted, a relative folder (asked for at start or later) names
// no folder: nothing is found and nothing is remembered, where "/" once stood in for the lost name and
// the whole disk was scanned. Absolute folders are scanned as ever.
TEST_F(ViewModelTest, RelativeFoldersFromADeletedWorkingFolderNameNoFolder) {
    dir.writeFile("kept/one.txt", 10);
    const fs::path gone = dir.makeDir("gone");
    struct WorkingFolder {
        fs::path saved = fs::current_path();
        ~WorkingFolder() {
            std::error_code ignored;
            fs::current_path(saved, ignored);
        }
    } restore;
    fs::current_path(gone);
    fs::remove(gone);

    for (const char* relative : {".", "sub", ".."}) {
        qputenv("BRENWICK_SCAN", relative);
        std::unique_ptr<EarlyWalk> early = startEarlyWalk();
        ASSERT_TRUE(early);
        ASSERT_NE(early->path(), "/") << relative; // before the walk of a whole disk is waited for
        auto vm = makeViewModel();
        applyEnvironmentHooks(*vm, std::move(early));
        ASSERT_TRUE(waitForDone(*vm));
        EXPECT_TRUE(vm->root()->children().empty()) << relative;
        vm->scan(relative);
        ASSERT_NE(vm->status().currentPath, "/") << relative;
        ASSERT_TRUE(waitForDone(*vm));
        EXPECT_TRUE(vm->root()->children().empty()) << relative;
        EXPECT_TRUE(vm->recentScans().recents().empty()) << relative;
    }

    const std::string kept = dir.str() + "/kept";
    qputenv("BRENWICK_SCAN", kept.c_str());
    auto vm = makeViewModel();
    applyEnvironmentHooks(*vm, startEarlyWalk());
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->path(), kept);
    EXPECT_EQ(vm->root()->fileCount(), 1);
    EXPECT_EQ(vm->recentScans().recents(), std::vector<std::string>{kept});
}

// An early walk nobody takes over (the application failed to start) is cancelled, not waited out.
TEST_F(ViewModelTest, AnEarlyWalkLeftBehindIsCancelled) {
    dir.writeFile("held/slow/x.bin", 10);
    std::shared_ptr<DiskScanner> scanner = scanServices().makeScanner();
    {
        EarlyWalk walk(dir.str() + "/held", scanner);
        for (int i = 0; i < 30000 && gate->reached() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(gate->reached(), 1);
    }
    EXPECT_TRUE(scanner->isCancelled());
}

} // namespace
