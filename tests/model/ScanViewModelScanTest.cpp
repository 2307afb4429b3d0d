#include "model/SnapshotStore.h"
#include "tests/model/ViewModelFixture.h"
#include "tests/support/SparseTwins.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <cerrno>
#include <filesystem>
#include <thread>

using Status = ScanViewModel::Status;

namespace {

QVariant stored(const char* key) {
    return QSettings("Brenwick", "Brenwick").value(key);
}

// Waits, without running the event loop, until the scanner's scan thread has let go of it (only
// `holders` references remain): whatever the thread hands back is then already queued.
void waitForScanThread(const std::shared_ptr<DiskScanner>& scanner, long holders) {
    for (int i = 0; i < 30000 && scanner.use_count() > holders; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(scanner.use_count(), holders);
}

} // namespace

TEST(ViewModelValues, DiskInfoOfAMissingPlaceIsEmpty) {
    TempDir dir;
    DiskInfo info = DiskInfo::forVolume(dir.str());
    EXPECT_GT(info.total, 0);
    EXPECT_LE(info.free + info.used, info.total);
    EXPECT_EQ(DiskInfo::forVolume(dir.str() + "/not/there"), (DiskInfo{rootDisplayName("/"), 0, 0, 0}));
}

TEST_F(ViewModelTest, StartsWithStoredRecentsAndKeepsFiveRecentsWithoutRepeats) {
    QSettings("Brenwick", "Brenwick")
        .setValue("recentScans", QStringList{"/a", "/b", "/c", "/d", "/e", "/f"});
    const std::string scanned = dir.makeDir("scanned").string();
    auto vm = makeViewModel();
    EXPECT_EQ(vm->recentScans().recents().size(), 6u); // all loaded; the cut to five waits for the next scan
    EXPECT_EQ(vm->snapshotStore().directory(),
              std::string(std::getenv("XDG_DATA_HOME")) + "/Brenwick/Snapshots");
    scanAndWait(*vm, scanned);
    EXPECT_EQ(vm->recentScans().recents().size(), 5u);

    scanAndWait(*vm, scanned + "/./");
    EXPECT_EQ(vm->recentScans().recents().front(), scanned + "/.");
    std::vector<std::string> expected;
    for (auto name : {"b", "c", "d", "e", "f"}) {
        scanAndWait(*vm, dir.makeDir(name).string());
        expected.insert(expected.begin(), dir.str() + "/" + name);
    }
    EXPECT_EQ(vm->recentScans().recents(), expected); // "scanned" went, as the oldest
    QStringList storedPaths;
    for (const auto& p : expected)
        storedPaths.append(QString::fromStdString(p));
    EXPECT_EQ(stored("recentScans").toStringList(), storedPaths);
}

// A scan brings the Explore tab forward; its change is announced after the scan's start.
TEST_F(ViewModelTest, AScanShowsTheExploreTab) {
    auto vm = makeViewModel();
    vm->settings().setTab(AppTab::duplicates);
    std::vector<Status> statusAtTabChange;
    QObject::connect(&vm->settings(), &ViewSettings::tabChanged,
                     [&] { statusAtTabChange.push_back(vm->status()); });
    vm->scan(dir.makeDir("shown").string());
    EXPECT_EQ(vm->settings().tab(), AppTab::explore);
    ASSERT_EQ(statusAtTabChange.size(), 1u);
    EXPECT_TRUE(statusAtTabChange.front().isScanning());
    ASSERT_TRUE(waitForDone(*vm));
}

TEST_F(ViewModelTest, PublishesAScanWithTheStatusLast) {
    dir.writeFile("home/a/one.txt", 5000);
    dir.writeFile("home/b.jpg", 20000);
    auto vm = makeViewModel();
    std::vector<std::string> log;
    const std::pair<void (ScanViewModel::*)(), const char*> watched[] = {
        {&ScanViewModel::statusChanged, "status"},
        {&ScanViewModel::rootChanged, "root"},
        {&ScanViewModel::currentFolderChanged, "currentFolder"},
        {&ScanViewModel::selectedNodeChanged, "selectedNode"},
        {&ScanViewModel::quickWinsChanged, "quickWins"},
        {&ScanViewModel::generationChanged, "generation"},
        {&ScanViewModel::scanDurationChanged, "scanDuration"}};
    for (const auto& [signal, name] : watched)
        QObject::connect(vm.get(), signal, [&log, name = name] { log.emplace_back(name); });

    const std::string path = dir.str() + "/home";
    vm->scan(path + "/");
    EXPECT_EQ(vm->status(), Status::scanning(0, 0, path));
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->path(), path);
    EXPECT_EQ(vm->selectedNode(), vm->root());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "status");
    std::erase(log, std::string("status"));
    EXPECT_EQ(log, (std::vector<std::string>{"scanDuration", "generation", "root", "currentFolder",
                                             "selectedNode", "quickWins"}));
    EXPECT_EQ(vm->status(), Status::done());
}

// A superseded scan publishes nothing: neither one whose result was already on its way, nor one still
// running (which is cancelled); nor does the progress of the old scanner show.
TEST_F(ViewModelTest, OnlyTheLatestScanPublishes) {
    for (auto name :
         {"first/x", "held/a1", "held/a2", "held/a3", "held/slow/x", "second/b1", "second/slow/y"})
        dir.writeFile(name, 4096);
    auto vm = makeViewModel();
    QSignalSpy roots(vm.get(), &ScanViewModel::rootChanged);
    vm->scan(dir.str() + "/first");
    waitForScanThread(scanners.at(0), 2); // its result is queued, not yet delivered
    vm->scan(dir.str() + "/second");
    WAIT_FOR(gate->reached() == 1);
    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->path(), dir.str() + "/second");
    EXPECT_EQ(roots.count(), 1);

    gate = std::make_shared<ScanGate>();
    const std::string held = dir.str() + "/held", second = dir.str() + "/second";
    vm->scan(held);
    WAIT_FOR(vm->status().filesScanned == 3 && gate->reached() == 1);
    std::vector<Status> seen;
    QObject::connect(vm.get(), &ScanViewModel::statusChanged, [&] { seen.push_back(vm->status()); });
    vm->scan(second);
    EXPECT_TRUE(scanners.at(2)->isCancelled());
    WAIT_FOR(vm->status().filesScanned == 1 && gate->reached() == 2);
    QTest::qWait(300); // a few more polls: the held scanner must never be read again
    for (const auto& s : seen) {
        EXPECT_TRUE(s.currentPath.empty() || s.currentPath.starts_with(second)) << s.currentPath;
        EXPECT_LE(s.filesScanned, 1);
    }
    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    waitForScanThread(scanners.at(2), 1); // let it end and deliver whatever it would
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->root()->path(), second);
    EXPECT_EQ(vm->root()->fileCount(), 2);
    EXPECT_EQ(vm->generation(), 2);
}

// Coming back to the application while the notice of unreadable folders shows scans the same folder again.
TEST_F(ViewModelTest, ReturningWithTheAccessNoticeShownRescans) {
    const std::string path = dir.str() + "/scan";
    dir.writeFile("scan/p1/x", 10);
    deniedFolders[path + "/p1"] = EACCES;
    auto vm = makeViewModel();
    vm->handleDidBecomeActive(); // before any scan: nothing
    EXPECT_EQ(vm->status(), Status::idle());
    scanAndWait(*vm, path);
    EXPECT_TRUE(vm->showAccessNotice());
    vm->handleDidBecomeActive();
    EXPECT_TRUE(vm->status().isScanning());
    EXPECT_EQ(vm->status().currentPath, path);
    ASSERT_TRUE(waitForDone(*vm));
    vm->setShowAccessNotice(false); // dismissed: nothing happens
    vm->handleDidBecomeActive();
    EXPECT_EQ(vm->generation(), 2);
    EXPECT_FALSE(vm->status().isScanning());
}

TEST_F(ViewModelTest, QuittingDuringAScanIsClean) {
    dir.writeFile("big/slow/x.bin", 10);
    auto vm = makeViewModel();
    vm->scan(dir.str() + "/big");
    WAIT_FOR(gate->reached() == 1);
    vm.reset(); // cancels the held scan and joins its thread
    EXPECT_TRUE(scanners.front()->isCancelled());
}

// Nor does quitting wait for a duplicate search to read its files to the end: it stops within the file
// it reads.
TEST_F(ViewModelTest, QuittingDuringADuplicateSearchStopsItsReads) {
    constexpr int64_t size = int64_t{1} << 30;
    writeSparseTwins(dir, "big", size);
    auto vm = makeViewModel();
    scanAndWait(*vm, dir.str() + "/big");
    const int64_t before = bytesReadByProcess();
    ASSERT_GE(before, 0);
    vm->findDuplicates();
    WAIT_FOR(bytesReadByProcess() - before > kTwinsBeingHashed);
    vm.reset();
    EXPECT_LT(bytesReadByProcess() - before, size);
}
