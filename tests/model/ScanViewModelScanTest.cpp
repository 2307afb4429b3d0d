#include "model/CleanupQueue.h"
#include "model/ScanTree.h"
#include "model/SnapshotStore.h"
#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <cerrno>
#include <filesystem>
#include <thread>

using Status = ScanViewModel::Status;

namespace {

QVariant stored(const char* key) { return QSettings("Brenwick", "Brenwick").value(key); }

// Waits, without running the event loop, until the scanner's scan thread has let go of it (only
// `holders` references remain): whatever the thread hands back is then already queued.
void waitForScanThread(const std::shared_ptr<DiskScanner>& scanner, long holders) {
    for (int i = 0; i < 30000 && scanner.use_count() > holders; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(scanner.use_count(), holders);
}

} // namespace

TEST(ViewModelValues, DiskInfoNeverFails) {
    TempDir dir;
    DiskInfo info = DiskInfo::forVolume(dir.str());
    EXPECT_GT(info.total, 0);
    EXPECT_LE(info.free, info.total);
    EXPECT_FALSE(info.name.empty());
    EXPECT_EQ(DiskInfo::forVolume(dir.str() + "/not/there"), (DiskInfo{rootDisplayName("/"), 0, 0}));
}

TEST_F(ViewModelTest, ThemeFromTheSystemUnlessOneIsStoredExactly) {
    systemTheme = ThemeName::dark;
    {
        auto vm = makeViewModel(); // applied at once; nothing stored until the user picks a theme
        EXPECT_EQ(vm->themeName(), ThemeName::dark);
        EXPECT_EQ(appliedAppearances, std::vector<ThemeName>{ThemeName::dark});
        EXPECT_FALSE(stored("theme").isValid());
    }
    QSettings("Brenwick", "Brenwick").setValue("theme", "Light");
    EXPECT_EQ(makeViewModel()->themeName(), ThemeName::light);
    EXPECT_EQ(appliedAppearances.back(), ThemeName::light);

    QSettings("Brenwick", "Brenwick").setValue("theme", "light");
    auto vm = makeViewModel();
    EXPECT_EQ(vm->themeName(), ThemeName::dark);
    EXPECT_EQ(stored("theme").toString(), "light"); // left untouched

    // Every assignment stores and applies, even of the same theme.
    appliedAppearances.clear();
    QSignalSpy spy(vm.get(), &ScanViewModel::themeNameChanged);
    vm->setThemeName(ThemeName::dark);
    EXPECT_EQ(stored("theme").toString(), "Dark");
    EXPECT_EQ(appliedAppearances, std::vector<ThemeName>{ThemeName::dark});
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(ViewModelTest, ReadsRecentsAndModeAtStartAndScansLater) {
    QSettings("Brenwick", "Brenwick").setValue("recentScans", QStringList{"/a", "/b", "/c", "/d", "/e", "/f"});
    qputenv("BRENWICK_MODE", "Mind Map");
    dir.writeFile("scanned/file.txt", 1000);
    qputenv("BRENWICK_SCAN", (dir.str() + "/scanned").c_str());

    auto vm = makeViewModel();
    // Six stored by another writer are all loaded; the cut to five waits for the next scan.
    EXPECT_EQ(vm->recents().size(), 6u);
    EXPECT_EQ(vm->mode(), VisualizationMode::mindMap);
    EXPECT_TRUE(std::filesystem::is_directory(vm->snapshotStore().directory()));
    // The start-up scan waits for the event loop.
    EXPECT_EQ(vm->status(), Status::idle());
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->path(), dir.str() + "/scanned");
    EXPECT_EQ(vm->recents().size(), 5u);
    EXPECT_EQ(vm->recents().front(), dir.str() + "/scanned");

    qunsetenv("BRENWICK_SCAN");
    for (const char* ignored : {"mindMap", "Mind Map "}) {
        qputenv("BRENWICK_MODE", ignored);
        EXPECT_EQ(makeViewModel()->mode(), VisualizationMode::folders) << ignored;
    }
}

TEST_F(ViewModelTest, PublishesAScanInOrderAndRecordsIt) {
    dir.writeFile("home/a/one.txt", 5000);
    dir.writeFile("home/b.jpg", 20000);
    auto vm = makeViewModel();
    vm->setTab(AppTab::duplicates);
    std::vector<std::string> log;
    const std::pair<void (ScanViewModel::*)(), const char*> watched[] = {
        {&ScanViewModel::statusChanged, "status"},           {&ScanViewModel::rootChanged, "root"},
        {&ScanViewModel::currentFolderChanged, "currentFolder"}, {&ScanViewModel::selectedNodeChanged, "selectedNode"},
        {&ScanViewModel::quickWinsChanged, "quickWins"},     {&ScanViewModel::generationChanged, "generation"},
        {&ScanViewModel::scanDurationChanged, "scanDuration"}};
    for (const auto& [signal, name] : watched)
        QObject::connect(vm.get(), signal, [&log, name = name] { log.emplace_back(name); });

    const std::string path = dir.str() + "/home";
    vm->scan(path + "/");
    EXPECT_EQ(vm->status(), Status::scanning(0, 0, path));
    EXPECT_EQ(vm->tab(), AppTab::explore);
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->path(), path);
    EXPECT_EQ(vm->currentFolder(), vm->root());
    EXPECT_EQ(vm->selectedNode(), vm->root());
    EXPECT_EQ(vm->root()->fileCount(), 2);
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_GT(vm->scanDuration(), 0);
    EXPECT_EQ(vm->disk().name, DiskInfo::forVolume(path).name);
    EXPECT_EQ(stored("recentScans").toStringList(), QStringList{QString::fromStdString(path)});

    // Completion: duration, generation, root, folder, selection, quick wins, status last.
    std::vector<std::string> completion;
    auto start = std::find(log.begin(), log.end(), "scanDuration");
    std::copy_if(start, log.end(), std::back_inserter(completion), [](const std::string& n) { return n != "status"; });
    EXPECT_EQ(completion, (std::vector<std::string>{"scanDuration", "generation", "root", "currentFolder",
                                                    "selectedNode", "quickWins"}));
    EXPECT_EQ(log.front(), "status");
    EXPECT_EQ(log.back(), "status");
}

// A superseded scan publishes nothing: neither one whose result was already on its way, nor one still
// running (which is cancelled).
TEST_F(ViewModelTest, OnlyTheLatestScanPublishes) {
    dir.writeFile("first/x.bin", 4096);
    dir.writeFile("held/slow/x.bin", 4096);
    dir.writeFile("second/y.bin", 8192);
    auto vm = makeViewModel();
    QSignalSpy roots(vm.get(), &ScanViewModel::rootChanged);

    vm->scan(dir.str() + "/first");
    waitForScanThread(scanners.at(0), 2); // its result is queued, not yet delivered
    vm->scan(dir.str() + "/second");
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->path(), dir.str() + "/second");
    EXPECT_EQ(vm->generation(), 1);
    EXPECT_EQ(roots.count(), 1);

    vm->scan(dir.str() + "/held");
    WAIT_FOR(gate->reached() == 1);
    vm->scan(dir.str() + "/second");
    EXPECT_TRUE(scanners.at(2)->isCancelled());
    ASSERT_TRUE(waitForDone(*vm));
    waitForScanThread(scanners.at(2), 1); // let it end and deliver whatever it would
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->root()->path(), dir.str() + "/second");
    EXPECT_EQ(vm->generation(), 2);
    EXPECT_EQ(vm->status(), Status::done());
}

TEST_F(ViewModelTest, ProgressComesFromTheCurrentScannerOnly) {
    for (auto name : {"first/a1", "first/a2", "first/a3", "first/slow/a4", "second/b1", "second/b2", "second/slow/b3"})
        dir.writeFile(name, 1000);
    const std::string first = dir.str() + "/first", second = dir.str() + "/second";
    auto vm = makeViewModel();
    vm->scan(first);
    WAIT_FOR(vm->status().filesScanned == 3 && gate->reached() == 1);
    EXPECT_TRUE(vm->status().currentPath.starts_with(first));

    std::vector<Status> seen;
    QObject::connect(vm.get(), &ScanViewModel::statusChanged, [&] { seen.push_back(vm->status()); });
    vm->scan(second);
    WAIT_FOR(vm->status().filesScanned == 2 && gate->reached() == 2);
    QTest::qWait(500); // a few more polls: the first scanner must never be read again
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), Status::scanning(0, 0, second));
    for (const auto& s : seen) {
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
    QStringList storedPaths;
    for (auto name : {"b", "c", "d", "e", "f"}) {
        const std::string p = dir.makeDir(name).string();
        scanAndWait(*vm, p);
        expected.insert(expected.begin(), p);
        storedPaths.prepend(QString::fromStdString(p));
    }
    EXPECT_EQ(vm->recents(), expected); // "a" went, as the oldest
    EXPECT_EQ(stored("recentScans").toStringList(), storedPaths);
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
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->generation(), 2);

    // Dismissed: nothing happens.
    vm->setShowAccessNotice(false);
    vm->applicationBecameActive();
    QCoreApplication::processEvents();
    EXPECT_EQ(vm->generation(), 2);
    // Access granted: the next scan hides the notice.
    deniedFolders.clear();
    scanAndWait(*vm, path);
    EXPECT_EQ(vm->unreadableFolderCount(), 0);
    EXPECT_FALSE(vm->showAccessNotice());
}

TEST_F(ViewModelTest, QuittingDuringAScanIsClean) {
    dir.writeFile("big/slow/x.bin", 10);
    auto vm = makeViewModel();
    vm->scan(dir.str() + "/big");
    WAIT_FOR(gate->reached() == 1);
    vm.reset(); // cancels the held scan and joins its thread
    EXPECT_TRUE(scanners.front()->isCancelled());
}
