#include "model/AccessCheck.h"
#include "model/CleanupQueue.h"
#include "model/SnapshotStore.h"
#include "model/StoredSettings.h"
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

// Keeps the settings in `folder` (as a run of Brenwick with that configuration folder would) until the
// end of the scope, then goes back to the test's own.
class SettingsFolder {
  public:
    explicit SettingsFolder(const std::string& folder) { stored_settings::useFolder(folder); }
    ~SettingsFolder() { stored_settings::useFolder(original_); }

  private:
    const std::string original_ =
        std::filesystem::path(QSettings("Brenwick", "Brenwick").fileName().toStdString())
            .parent_path()
            .parent_path()
            .string();
};

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
    EXPECT_EQ(vm->recentScans().recents().front(), scanned); // recorded as the scan starts from it
    std::vector<std::string> expected;
    for (auto name : {"b", "c", "d", "e", "f"}) {
        scanAndWait(*vm, dir.makeDir(name).string());
        expected.insert(expected.begin(), dir.str() + "/" + name);
    }
    EXPECT_EQ(vm->recentScans().recents(), expected); // "scanned" went, as the oldest
    QVariantList storedPaths;
    for (const auto& p : expected)
        storedPaths.append(QByteArray::fromStdString(p));
    EXPECT_EQ(stored("recentScans").toList(), storedPaths);
}

// A recent folder whose name is not UTF-8 is, after a restart, the same folder: the next run reads the
// settings file this one wrote and scans what was scanned.
TEST_F(ViewModelTest, RecentFoldersKeepTheirBytesAcrossARestart) {
    dir.writeFile("caf\xe9/photo.jpg", 4096);
    const std::string odd = dir.str() + "/caf\xe9";
    {
        SettingsFolder run(dir.str() + "/first-run");
        auto vm = makeViewModel();
        scanAndWait(*vm, odd);
    }
    // A copy of the file, so the next run cannot be answered from what this process still remembers.
    const std::string written = dir.str() + "/first-run/Brenwick/Brenwick.conf";
    ASSERT_TRUE(std::filesystem::exists(written));
    std::filesystem::create_directories(dir.str() + "/next-run/Brenwick");
    std::filesystem::copy_file(written, dir.str() + "/next-run/Brenwick/Brenwick.conf");
    SettingsFolder run(dir.str() + "/next-run");
    auto vm = makeViewModel();
    ASSERT_EQ(vm->recentScans().recents(), std::vector<std::string>{odd});
    scanAndWait(*vm, vm->recentScans().recents().front());
    EXPECT_EQ(vm->root()->path(), odd);
    EXPECT_EQ(vm->root()->fileCount(), 1);
}

// A folder given with "." or ".." or with repeated slashes is scanned from its standard spelling: the tree's
// paths can be staged, and the folder is recorded under its own name.
TEST_F(ViewModelTest, AScanStartsFromTheStandardSpellingOfItsFolder) {
    dir.writeFile("top/a/one.bin", 5000);
    dir.writeFile("top/b/two.bin", 7000);
    const std::string top = dir.str() + "/top";
    auto vm = makeViewModel();
    for (const std::string& given : {top + "/a/..", top + "//b/../", dir.str() + "/top/./a/../../top"}) {
        scanAndWait(*vm, given);
        EXPECT_EQ(vm->root()->path(), top) << given;
        EXPECT_EQ(vm->root()->name(), "top") << given;
        EXPECT_EQ(vm->recentScans().recents(), std::vector<std::string>{top}) << given;
    }
    FileNode* a = const_cast<FileNode*>(findNode(vm->root(), "a"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->path(), top + "/a");
    EXPECT_TRUE(vm->cleanupQueue().add(a, "Staged from Explore"));
    EXPECT_TRUE(vm->cleanupQueue().contains(top + "/a"));
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

// Coming back to the application while the notice of unreadable folders shows scans the same folder
// again only when a sampled folder opens now; while they all stay shut, the tree and the user's place
// in it stay as they are.
TEST_F(ViewModelTest, ReturningWithTheAccessNoticeShownRescansOnlyWhenAccessChanged) {
    const std::string path = dir.str() + "/scan";
    dir.writeFile("scan/p1/x", 10);
    dir.writeFile("scan/open/deeper/y", 10);
    deniedFolders[path + "/p1"] = EACCES;
    auto vm = makeViewModel();
    vm->handleDidBecomeActive(); // before any scan: nothing
    EXPECT_FALSE(vm->accessCheck().checking());
    EXPECT_EQ(vm->status(), Status::idle());
    scanAndWait(*vm, path);
    EXPECT_TRUE(vm->showAccessNotice());
    EXPECT_EQ(vm->unreadableFolderSamples(), std::vector<std::string>{path + "/p1"});

    FileNode* deeper = const_cast<FileNode*>(findNode(vm->root(), "open/deeper"));
    ASSERT_NE(deeper, nullptr);
    vm->select(deeper);
    vm->setSelectedNode(deeper->children().front());
    vm->handleDidBecomeActive();
    EXPECT_FALSE(vm->status().isScanning()); // nothing is redone before the folders are tried
    vm->handleDidBecomeActive();             // a second return while they are tried asks nothing more
    WAIT_FOR(!vm->accessCheck().checking());
    EXPECT_EQ(folderProbes, 1);
    EXPECT_EQ(scanners.size(), 1u);
    EXPECT_EQ(vm->status(), Status::done());
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_EQ(vm->currentFolder(), deeper);
    EXPECT_EQ(vm->selectedNode(), deeper->children().front());

    deniedFolders.clear(); // read permission given meanwhile
    vm->handleDidBecomeActive();
    WAIT_FOR(vm->generation() == 2);
    EXPECT_EQ(scanners.size(), 2u);
    EXPECT_EQ(vm->root()->path(), path);
    EXPECT_EQ(vm->root()->fileCount(), 2);
    EXPECT_FALSE(vm->showAccessNotice());

    deniedFolders[path + "/p1"] = EACCES;
    scanAndWait(*vm, path);
    vm->setShowAccessNotice(false); // dismissed: nothing happens
    deniedFolders.clear();
    vm->handleDidBecomeActive();
    EXPECT_FALSE(vm->accessCheck().checking());
    EXPECT_EQ(folderProbes, 2);
    EXPECT_EQ(vm->generation(), 3);
    EXPECT_FALSE(vm->status().isScanning());
}

// Of two unreadable folders, the one that opens now is enough for a rescan, though the other stays shut
// and is tried first. A notice dismissed while the folders are tried asks for none.
TEST_F(ViewModelTest, OneOfTwoFoldersOpeningRescansUnlessTheNoticeWasDismissedMeanwhile) {
    const std::string path = dir.str() + "/scan";
    dir.writeFile("scan/p1/x", 10);
    dir.writeFile("scan/p2/y", 10);
    deniedFolders[path + "/p1"] = EACCES;
    deniedFolders[path + "/p2"] = EACCES;
    auto vm = makeViewModel();
    scanAndWait(*vm, path);
    ASSERT_EQ(vm->unreadableFolderSamples().size(), 2u);
    deniedFolders.erase(vm->unreadableFolderSamples().back());
    vm->handleDidBecomeActive();
    WAIT_FOR(!vm->accessCheck().checking());
    EXPECT_EQ(scanners.size(), 2u);
    ASSERT_TRUE(waitForDone(*vm));
    ASSERT_TRUE(vm->showAccessNotice()); // the other is still shut

    deniedFolders.clear();
    const int tried = folderProbes;
    vm->handleDidBecomeActive();
    vm->setShowAccessNotice(false);
    WAIT_FOR(!vm->accessCheck().checking());
    EXPECT_GT(folderProbes, tried);
    EXPECT_EQ(scanners.size(), 2u);
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
