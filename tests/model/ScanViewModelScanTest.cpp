#include "model/ScanTree.h"
#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <cerrno>
#include <thread>

using Status = ScanViewModel::Status;

namespace {

// The names of the change signals in the order they were emitted.
class SignalLog {
public:
    explicit SignalLog(ScanViewModel& vm) {
        auto log = [this](const char* name) { return [this, name] { names.emplace_back(name); }; };
        QObject::connect(&vm, &ScanViewModel::statusChanged, log("status"));
        QObject::connect(&vm, &ScanViewModel::rootChanged, log("root"));
        QObject::connect(&vm, &ScanViewModel::currentFolderChanged, log("currentFolder"));
        QObject::connect(&vm, &ScanViewModel::selectedNodeChanged, log("selectedNode"));
        QObject::connect(&vm, &ScanViewModel::quickWinsChanged, log("quickWins"));
        QObject::connect(&vm, &ScanViewModel::generationChanged, log("generation"));
        QObject::connect(&vm, &ScanViewModel::scanDurationChanged, log("scanDuration"));
        QObject::connect(&vm, &ScanViewModel::showAccessNoticeChanged, log("showAccessNotice"));
        QObject::connect(&vm, &ScanViewModel::unreadableFolderCountChanged, log("unreadableFolderCount"));
        QObject::connect(&vm, &ScanViewModel::tabChanged, log("tab"));
        QObject::connect(&vm, &ScanViewModel::recentsChanged, log("recents"));
    }
    // Position of the first emission of `name` at or after `from`, or -1.
    int find(const std::string& name, int from = 0) const {
        for (size_t i = static_cast<size_t>(from); i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
    std::vector<std::string> names;
};

// Waits, without running the event loop, until the scanner's scan thread has let go of it (only
// `holders` references remain): whatever the thread hands back is then already queued.
void waitForScanThread(const std::shared_ptr<DiskScanner>& scanner, long holders) {
    for (int i = 0; i < 30000 && scanner.use_count() > holders; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(scanner.use_count(), holders);
}

} // namespace

TEST_F(ViewModelTest, PublishesAScanInOrderAndRecordsIt) {
    dir.writeFile("home/a/one.txt", 5000);
    dir.writeFile("home/b.jpg", 20000);
    auto vm = makeViewModel();
    vm->setTab(AppTab::duplicates);
    SignalLog log(*vm);

    const std::string path = dir.str() + "/home";
    vm->scan(path + "/");
    EXPECT_EQ(vm->status(), Status::scanning(0, 0, path));
    EXPECT_EQ(vm->tab(), AppTab::explore);
    EXPECT_EQ(log.names.front(), "status");
    ASSERT_TRUE(waitForDone(*vm));

    ASSERT_NE(vm->root(), nullptr);
    EXPECT_EQ(vm->root()->path(), path);
    EXPECT_EQ(vm->currentFolder(), vm->root());
    EXPECT_EQ(vm->selectedNode(), vm->root());
    EXPECT_EQ(vm->root()->fileCount(), 2);
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_GT(vm->scanDuration(), 0);
    EXPECT_EQ(vm->disk().name, DiskInfo::forVolume(path).name);
    EXPECT_EQ(vm->recents(), std::vector<std::string>{path});
    EXPECT_EQ(QSettings("Brenwick", "Brenwick").value("recentScans").toStringList(), QStringList{QString::fromStdString(path)});

    // Completion: duration, generation, root, folder, selection, quick wins, ..., status last.
    int start = log.find("scanDuration");
    ASSERT_GE(start, 0);
    std::vector<std::string> order = {"generation", "root", "currentFolder", "selectedNode", "quickWins", "status"};
    int at = start;
    for (const auto& name : order) {
        int next = log.find(name, at);
        EXPECT_GT(next, at) << name;
        at = next;
    }
    EXPECT_EQ(log.names.back(), "status");
}

TEST_F(ViewModelTest, AFinishedScanSupersededBeforeItsResultArrivesIsDropped) {
    dir.writeFile("first/x.bin", 4096);
    dir.writeFile("second/y.bin", 8192);
    auto vm = makeViewModel();
    QSignalSpy roots(vm.get(), &ScanViewModel::rootChanged);

    vm->scan(dir.str() + "/first");
    // Its result is queued but not yet delivered when the second scan starts.
    waitForScanThread(scanners.at(0), 2); // the test and the state object
    vm->scan(dir.str() + "/second");
    EXPECT_EQ(vm->status(), Status::scanning(0, 0, dir.str() + "/second"));
    ASSERT_TRUE(waitForDone(*vm));

    EXPECT_EQ(vm->root()->path(), dir.str() + "/second");
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_EQ(roots.count(), 1);
    EXPECT_EQ(vm->recents().front(), dir.str() + "/second");
}

TEST_F(ViewModelTest, ARunningScanSupersededIsCancelledAndPublishesNothing) {
    dir.writeFile("first/slow/x.bin", 4096);
    dir.writeFile("second/y.bin", 8192);
    auto vm = makeViewModel();
    QSignalSpy roots(vm.get(), &ScanViewModel::rootChanged);

    vm->scan(dir.str() + "/first");
    WAIT_FOR(gate->reached() == 1);
    vm->scan(dir.str() + "/second");
    EXPECT_TRUE(scanners.at(0)->isCancelled());
    ASSERT_TRUE(waitForDone(*vm));

    // Let the first scan's thread end and deliver whatever it would.
    waitForScanThread(scanners.at(0), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->root()->path(), dir.str() + "/second");
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_EQ(roots.count(), 1);
    EXPECT_EQ(vm->status(), Status::done());
}

TEST_F(ViewModelTest, ProgressComesFromTheCurrentScannerOnly) {
    for (auto name : {"a1", "a2", "a3"}) dir.writeFile(std::string("first/") + name, 1000);
    dir.writeFile("first/slow/a4", 1000);
    for (auto name : {"b1", "b2"}) dir.writeFile(std::string("second/") + name, 1000);
    dir.writeFile("second/slow/b3", 1000);
    const std::string first = dir.str() + "/first", second = dir.str() + "/second";

    auto vm = makeViewModel();
    vm->scan(first);
    WAIT_FOR(vm->status().filesScanned == 3 && gate->reached() == 1);
    EXPECT_TRUE(vm->status().currentPath.starts_with(first));

    std::vector<Status> seen;
    QObject::connect(vm.get(), &ScanViewModel::statusChanged, [&] { seen.push_back(vm->status()); });
    vm->scan(second);
    WAIT_FOR(vm->status().filesScanned == 2 && gate->reached() == 2);
    // A few more polls: the first scanner must never be read again.
    QTest::qWait(500);

    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), Status::scanning(0, 0, second));
    for (const auto& s : seen) {
        EXPECT_TRUE(s.isScanning());
        EXPECT_TRUE(s.currentPath.empty() || s.currentPath.starts_with(second)) << s.currentPath;
        EXPECT_LE(s.filesScanned, 2);
    }

    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->fileCount(), 3);
}

TEST_F(ViewModelTest, RecentsKeepFiveWithoutRepeats) {
    auto vm = makeViewModel();
    const std::string a = dir.makeDir("a").string();
    scanAndWait(*vm, a);
    scanAndWait(*vm, a + "/./");
    EXPECT_EQ(vm->recents(), std::vector<std::string>{a + "/."});

    std::vector<std::string> expected;
    for (auto name : {"b", "c", "d", "e", "f"}) {
        const std::string p = dir.makeDir(name).string();
        scanAndWait(*vm, p);
        expected.insert(expected.begin(), p);
    }
    EXPECT_EQ(vm->recents(), expected); // "a" went, as the oldest
    QStringList stored;
    for (const auto& p : expected) stored << QString::fromStdString(p);
    EXPECT_EQ(QSettings("Brenwick", "Brenwick").value("recentScans").toStringList(), stored);

    scanAndWait(*vm, expected.back());
    EXPECT_EQ(vm->recents().front(), expected.back());
    EXPECT_EQ(vm->recents().size(), 5u);
}

TEST_F(ViewModelTest, DeniedFoldersShowTheNoticeAndReturningRescans) {
    const std::string path = dir.str() + "/scan";
    for (auto name : {"p1", "p2", "p3"}) {
        dir.writeFile(std::string("scan/") + name + "/x", 10);
        deniedFolders[path + "/" + name] = EACCES;
    }
    dir.writeFile("scan/open/y", 10);

    auto vm = makeViewModel();
    vm->applicationBecameActive(); // before any scan: nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->status(), Status::idle());

    scanAndWait(*vm, path);
    EXPECT_EQ(vm->unreadableFolderCount(), 3);
    EXPECT_EQ(vm->unreadableFolderSamples().size(), 3u);
    EXPECT_TRUE(vm->showAccessNotice());

    // Coming back while the notice shows scans the same folder again.
    vm->applicationBecameActive();
    WAIT_FOR(vm->status().isScanning());
    EXPECT_EQ(vm->status().currentPath, path);
    EXPECT_FALSE(vm->showAccessNotice());
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->generation(), 2);

    // Dismissed: nothing happens.
    vm->setShowAccessNotice(false);
    vm->applicationBecameActive();
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->status(), Status::done());
    EXPECT_EQ(vm->generation(), 2);

    // Access granted: the next scan hides the notice.
    deniedFolders.clear();
    scanAndWait(*vm, path);
    EXPECT_EQ(vm->unreadableFolderCount(), 0);
    EXPECT_TRUE(vm->unreadableFolderSamples().empty());
    EXPECT_FALSE(vm->showAccessNotice());
}
