#include "model/CleanupQueue.h"
#include "model/ScanTree.h"
#include "model/SnapshotStore.h"
#include "tests/model/ViewModelFixture.h"

#include <QSignalSpy>

using Kind = ScanViewModel::Status::Kind;

namespace {
QVariant storedSetting(const char* key) { return QSettings("Brenwick", "Brenwick").value(key); }
} // namespace

TEST(ViewModelValues, DiskInfoOfAFolderIsItsVolume) {
    TempDir dir;
    DiskInfo info = DiskInfo::forVolume(dir.str());
    EXPECT_GT(info.total, 0);
    EXPECT_GE(info.free, 0);
    EXPECT_LE(info.free, info.total);
    EXPECT_FALSE(info.name.empty());
    EXPECT_EQ(DiskInfo::forVolume("/").name, rootDisplayName("/"));

    DiskInfo missing = DiskInfo::forVolume(dir.str() + "/not/there");
    EXPECT_EQ(missing, (DiskInfo{rootDisplayName("/"), 0, 0}));
}

TEST_F(ViewModelTest, StartsWithTheDefaultsAndTheSystemTheme) {
    systemTheme = ThemeName::dark;
    auto vm = makeViewModel();
    EXPECT_EQ(vm->status(), ScanViewModel::Status::idle());
    EXPECT_EQ(vm->root(), nullptr);
    EXPECT_EQ(vm->currentFolder(), nullptr);
    EXPECT_EQ(vm->selectedNode(), nullptr);
    EXPECT_TRUE(vm->quickWins().empty());
    EXPECT_TRUE(vm->duplicateGroups().empty());
    EXPECT_FALSE(vm->isFindingDuplicates());
    EXPECT_TRUE(vm->installedApps().empty());
    EXPECT_FALSE(vm->isLoadingApps());
    EXPECT_EQ(vm->tab(), AppTab::explore);
    EXPECT_EQ(vm->mode(), VisualizationMode::folders);
    EXPECT_EQ(vm->colorMode(), ColorMode::folder);
    EXPECT_EQ(vm->depth(), 7.0);
    EXPECT_FALSE(vm->abbreviateLabels());
    EXPECT_TRUE(vm->filter().isEmpty());
    EXPECT_TRUE(vm->showInspector());
    EXPECT_EQ(vm->themeName(), ThemeName::dark);
    EXPECT_EQ(vm->disk().name, DiskInfo::forVolume("/").name);
    EXPECT_EQ(vm->disk().total, DiskInfo::forVolume("/").total);
    EXPECT_EQ(vm->scanDuration(), 0);
    EXPECT_TRUE(vm->recents().empty());
    EXPECT_EQ(vm->generation(), 0);
    EXPECT_EQ(vm->unreadableFolderCount(), 0);
    EXPECT_FALSE(vm->showAccessNotice());
    EXPECT_TRUE(vm->cleanupQueue().items().empty());

    // The appearance follows the theme at once; nothing is stored until the user picks a theme.
    EXPECT_EQ(appliedAppearances, std::vector<ThemeName>{ThemeName::dark});
    EXPECT_FALSE(storedSetting("theme").isValid());
    EXPECT_TRUE(std::filesystem::is_directory(vm->snapshotStore().directory()));
}

TEST_F(ViewModelTest, StoredThemeWinsOnlyWhenSpelledExactly) {
    systemTheme = ThemeName::dark;
    QSettings("Brenwick", "Brenwick").setValue("theme", "Light");
    {
        auto vm = makeViewModel();
        EXPECT_EQ(vm->themeName(), ThemeName::light);
        EXPECT_EQ(storedSetting("theme").toString(), "Light");
        EXPECT_EQ(appliedAppearances.back(), ThemeName::light);
    }

    QSettings("Brenwick", "Brenwick").setValue("theme", "light");
    appliedAppearances.clear();
    auto vm = makeViewModel();
    EXPECT_EQ(vm->themeName(), ThemeName::dark);
    EXPECT_EQ(storedSetting("theme").toString(), "light"); // left untouched
    EXPECT_EQ(appliedAppearances, std::vector<ThemeName>{ThemeName::dark});

    // Every assignment stores and applies, even of the same theme.
    QSignalSpy spy(vm.get(), &ScanViewModel::themeNameChanged);
    vm->setThemeName(ThemeName::dark);
    EXPECT_EQ(storedSetting("theme").toString(), "Dark");
    EXPECT_EQ(appliedAppearances.size(), 2u);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(ViewModelTest, ReadsRecentsAndModeAtStartAndScansLater) {
    QStringList six = {"/a", "/b", "/c", "/d", "/e", "/f"};
    QSettings("Brenwick", "Brenwick").setValue("recentScans", six);
    qputenv("BRENWICK_MODE", "Mind Map");
    dir.writeFile("scanned/file.txt", 1000);
    qputenv("BRENWICK_SCAN", (dir.str() + "/scanned").c_str());

    auto vm = makeViewModel();
    // Six stored by another writer are all loaded; the cut to five waits for the next scan.
    EXPECT_EQ(vm->recents().size(), 6u);
    EXPECT_EQ(vm->recents().front(), "/a");
    EXPECT_EQ(vm->mode(), VisualizationMode::mindMap);
    // The start-up scan waits for the event loop.
    EXPECT_EQ(vm->status(), ScanViewModel::Status::idle());

    QSignalSpy statuses(vm.get(), &ScanViewModel::statusChanged);
    ASSERT_TRUE(waitForDone(*vm));
    ASSERT_GE(statuses.count(), 2);
    EXPECT_EQ(vm->root()->path(), dir.str() + "/scanned");
    EXPECT_EQ(vm->recents().size(), 5u);
    EXPECT_EQ(vm->recents().front(), dir.str() + "/scanned");

    for (const char* ignored : {"mindMap", "mind map", "Mind Map "}) {
        qputenv("BRENWICK_MODE", ignored);
        qunsetenv("BRENWICK_SCAN");
        EXPECT_EQ(makeViewModel()->mode(), VisualizationMode::folders) << ignored;
    }
}

TEST_F(ViewModelTest, QuittingDuringAScanIsClean) {
    dir.writeFile("big/slow/x.bin", 10);
    auto vm = makeViewModel();
    vm->scan(dir.str() + "/big");
    WAIT_FOR(gate->reached() == 1);
    vm.reset(); // cancels the held scan and joins its thread
    EXPECT_TRUE(scanners.front()->isCancelled());
}
