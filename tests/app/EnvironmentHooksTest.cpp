#include "app/EnvironmentHooks.h"
#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

namespace {

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

} // namespace
