#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "model/DuplicateSearch.h"
#include "model/FolderReports.h"
#include "model/InstalledApps.h"
#include "model/QuickWins.h"
#include "model/UninstallFlow.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"
#include "tests/model/ViewModelFixture.h"
#include "tests/support/EnvOverride.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

class ViewModelTrashTest : public ScannedFolderTest {
  protected:
    void SetUp() override {
        ScannedFolderTest::SetUp();
        char fill = 'a'; // every file different: no duplicates among them
        for (auto [name, blocks] : {std::pair{"t/big/b.mov", 40},
                                    {"t/mid/m1.txt", 30},
                                    {"t/mid/deep/m2.jpg", 8},
                                    {"t/small/s.jpg", 10},
                                    {"t/small2/s2.txt", 8},
                                    {"t/small2/inner/z.zip", 1}})
            dir.writeFile(name, static_cast<size_t>(blocks) * 4096, fill++);
        dir.writeFile("t/loose.txt", 100);
        scanFolder();
    }
};

TEST_F(ViewModelTrashTest, AnEmptyListChangesNothingAndTheRootStaysWhileReportsGo) {
    vm->applyTrashed({});
    EXPECT_EQ(vm->generation(), 1);
    const int64_t size = root->sizeOnDisk;
    vm->requestAgeReport(root);
    WAIT_FOR(vm->reports().ageReport(root));
    vm->applyTrashed({path("") + "/", dir.str() + "/t-sibling/x"});
    EXPECT_EQ(vm->root(), root);
    EXPECT_EQ(root->sizeOnDisk, size);
    EXPECT_EQ(vm->generation(), 2);
    EXPECT_TRUE(vm->reports().ageReports().empty());
}

TEST_F(ViewModelTrashTest, CurrentFolderAndSelectionLeaveRemovedSubtrees) {
    vm->select(at("mid/deep"));
    vm->select(at("mid/deep/m2.jpg"));
    vm->applyTrashed({path("mid")});
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), root);

    vm->select(at("small2/inner")); // something inside a folder goes first, then the folder
    vm->applyTrashed({path("small2/inner"), path("small2")});
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), root);

    vm->select(at("big")); // a selection removed outside the current folder moves to that folder
    vm->setSelectedNode(at("small/s.jpg"));
    vm->applyTrashed({path("small")});
    EXPECT_EQ(vm->currentFolder(), at("big"));
    EXPECT_EQ(vm->selectedNode(), at("big"));
}

TEST_F(ViewModelTrashTest, DuplicateGroupsArePrunedAndQuickWinsRecomputed) {
    for (const char* name : {"t/dups/a.bin", "t/dups/b.bin", "t/dups/c.bin"})
        dir.writeFile(name, 50000, 'd');
    dir.writeFile("t/node_modules/pkg/index.js", 1000);
    scanAndWait(*vm, dir.str() + "/t");
    root = vm->root();
    auto hasNodeModules = [&] {
        return std::any_of(vm->quickWins().begin(), vm->quickWins().end(),
                           [](const auto& c) { return c.kind == QuickWins::Kind::nodeModules; });
    };
    EXPECT_TRUE(hasNodeModules());
    vm->findDuplicates();
    WAIT_FOR(!vm->duplicates().isSearching());
    ASSERT_EQ(vm->duplicates().groups().size(), 1u);

    vm->applyTrashed({path("dups/a.bin")});
    ASSERT_EQ(vm->duplicates().groups().size(), 1u);
    EXPECT_EQ(vm->duplicates().groups()[0].files.size(), 2u);
    vm->applyTrashed({path("dups/b.bin"), path("node_modules")});
    EXPECT_TRUE(vm->duplicates().groups().empty());
    WAIT_FOR(!hasNodeModules());
}

// The quick wins recomputed after an edit never show once the next scan has started: their nodes
// belong to the tree that scan replaces.
TEST_F(ViewModelTrashTest, QuickWinsOfAnEditedTreeAreDroppedWhenTheNextScanHasStarted) {
    dir.writeFile("t/node_modules/pkg/index.js", 1000);
    dir.writeFile("next/slow/x", 10); // the next scan waits there
    scanAndWait(*vm, dir.str() + "/t");
    ASSERT_FALSE(vm->quickWins().empty());
    std::weak_ptr<ScanTree> oldTree = vm->tree();
    vm->applyTrashed({path("loose.txt")});
    vm->scan(dir.str() + "/next"); // before the recomputed quick wins can arrive
    WAIT_FOR(oldTree.expired());   // they have arrived and been handled
    QCoreApplication::processEvents();
    EXPECT_TRUE(vm->status().isScanning());
    EXPECT_TRUE(vm->quickWins().empty());
    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
}

TEST_F(ViewModelTrashTest, InstalledApplicationsArePrunedEvenWithoutAScan) {
    const std::string home = platform::homeFolder();
    writeFileText(home + "/Applications/Toolbench-1.2.AppImage", "x");
    std::filesystem::permissions(home + "/Applications/Toolbench-1.2.AppImage",
                                 std::filesystem::perms::owner_all);
    for (const char* leftover : {"/.cache/toolbench/a", "/.cache/toolbench-updates/b"})
        writeFileText(home + leftover, "x");
    auto fresh = makeViewModel();
    fresh->apps().refresh(false);
    WAIT_FOR(!fresh->apps().isLoading());
    const auto app = fresh->apps().items().at(0);
    ASSERT_EQ(app.leftovers.at(0).urls.size(), 2u);
    fresh->applyTrashed({app.leftovers[0].urls[0]});
    EXPECT_EQ(fresh->apps().items().at(0).leftovers.at(0).urls,
              std::vector<std::string>{app.leftovers[0].urls[1]});
    fresh->applyTrashed({app.bundleURL});
    EXPECT_TRUE(fresh->apps().items().empty());
    for (const char* made : {"/Applications", "/.cache/toolbench", "/.cache/toolbench-updates"})
        std::filesystem::remove_all(home + made);
}

// The home folder scanned through a link to it (as when /home is one), with $HOME naming the real
// folder: its Trash is known for what it is, not by the scanned path's text. Nothing in it is a quick
// win or a duplicate, and the cleanup queue turns it away; a group that falls to one copy goes.
TEST_F(ViewModelTest, TheTrashOfAHomeReachedThroughALinkIsNeverOffered) {
    const std::string trashed = ".local/share/Trash/files/";
    dir.writeFile("real/ann/" + trashed + "web/node_modules/pkg/index.js", 1000);
    for (const std::string& name : {std::string("a.bin"), std::string("b.bin"), trashed + "a.bin"})
        dir.writeFile("real/ann/" + name, 50000, 'd');
    dir.writeFile("real/ann/lone.bin", 60000, 'f');
    dir.writeFile("real/ann/" + trashed + "lone.bin", 60000, 'f');
    dir.writeFile("real/ann/" + trashed + "pair-1.bin", 70000, 'g');
    dir.writeFile("real/ann/" + trashed + "pair-2.bin", 70000, 'g');
    std::filesystem::create_directory_symlink(dir.path() / "real", dir.path() / "home");
    const std::string real = platform::resolvedPath(dir.str()) + "/real/ann";
    EnvOverride env;
    env.set("HOME", real);
    env.set("XDG_DATA_HOME", real + "/.local/share");

    auto vm = makeViewModel();
    const std::string linked = dir.str() + "/home/ann";
    scanAndWait(*vm, linked);
    for (const QuickWins::Category& category : vm->quickWins())
        for (const FileNode* match : category.matches)
            ADD_FAILURE() << "offered: " << match->path();

    FileNode* inTrash = vm->tree()->findNode(linked + "/" + trashed + "a.bin");
    ASSERT_NE(inTrash, nullptr);
    EXPECT_FALSE(vm->cleanupQueue().add(inTrash, "Staged from Explore"));
    EXPECT_EQ(vm->cleanupQueue().addAll({{linked + "/.local/share/Trash", 1}}, "Duplicate"), 0);
    EXPECT_TRUE(vm->cleanupQueue().items().empty());
    EXPECT_EQ(vm->cleanupQueue().refusals().size(), 2u);

    vm->findDuplicates();
    WAIT_FOR(!vm->duplicates().isSearching());
    ASSERT_EQ(vm->duplicates().groups().size(), 1u);
    std::vector<std::string> copies;
    for (const FileNode* file : vm->duplicates().groups()[0].files)
        copies.push_back(file->path());
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(copies, (std::vector<std::string>{linked + "/a.bin", linked + "/b.bin"}));
}

class ViewModelUninstallTest : public ViewModelTest {
  protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        app.bundleURL = dir.writeFile("home/Applications/Tool.AppImage", 4096).string();
        app.leftovers.push_back({QUuid::createUuid(),
                                 "Caches",
                                 {dir.writeFile("home/.cache/tool/a", 10).string(),
                                  dir.writeFile("home/.cache/tool-x/b", 10).string()},
                                 20});
        app.leftovers.push_back(
            {QUuid::createUuid(), "Preferences", {dir.writeFile("home/.config/tool.conf", 10).string()}, 10});
        for (const auto& g : app.leftovers)
            all.insert(all.end(), g.urls.begin(), g.urls.end());
        all.push_back(app.bundleURL);
        vm = makeViewModel();
    }
    // Runs the flow to its end and returns the paths that failed.
    std::vector<std::string> uninstall() {
        std::optional<std::vector<std::string>> failed;
        vm->uninstallFlow().uninstall(app, [&](std::vector<std::string> f) { failed = std::move(f); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return failed.has_value(); }, 30000));
        std::sort(failed->begin(), failed->end());
        return failed.value_or(std::vector<std::string>{"(never finished)"});
    }

    AppUninstaller::InstalledApp app;
    std::vector<std::string> all; // every path of the application
    std::unique_ptr<ScanViewModel> vm;
};

TEST_F(ViewModelUninstallTest, WaitsThenKillsOnlyTheStubbornInstancesNeverItself) {
    EXPECT_TRUE(uninstall().empty()); // nothing running: straight to the Trash
    EXPECT_EQ(processes->askedFor, app.bundleURL);
    EXPECT_EQ(waits.count(), 0);
    for (const auto& p : all)
        EXPECT_FALSE(std::filesystem::exists(p)) << p;

    const int self = static_cast<int>(getpid());
    processes->instances = {{{101, 1}, 0, true}, {{102, 1}, 3, true}, {{self, 1}, -1, false}};
    EXPECT_TRUE(uninstall().empty());
    EXPECT_EQ(processes->terminated, (std::vector<int>{101, 102}));
    EXPECT_EQ(waits.count(), 3);
    EXPECT_TRUE(processes->killed.empty());

    processes->terminated.clear();
    waits.resetCount();
    processes->instances = {{{201, 1}, 0, true}, {{202, 1}, -1, true}};
    EXPECT_TRUE(uninstall().empty());
    EXPECT_EQ(processes->terminated, (std::vector<int>{201, 202}));
    EXPECT_EQ(waits.count(), 50);
    EXPECT_EQ(processes->killed, std::vector<int>{202});
}

TEST_F(ViewModelUninstallTest, OnlyTrashedPathsLeaveTheQueueAndTheTree) {
    scanAndWait(*vm, dir.str() + "/home");
    const int64_t rootSize = vm->root()->sizeOnDisk;
    const std::string failing = app.leftovers[1].urls[0];
    trash->refuse(failing);
    vm->cleanupQueue().addAll({{app.bundleURL, 4096}, {failing, 10}}, "Staged from Explore");

    EXPECT_EQ(uninstall(), std::vector<std::string>{failing});
    ASSERT_EQ(vm->cleanupQueue().items().size(), 1u);
    EXPECT_EQ(vm->cleanupQueue().items()[0].path, failing);
    EXPECT_EQ(vm->generation(), 2);
    EXPECT_EQ(vm->tree()->findNode(app.bundleURL), nullptr);
    EXPECT_NE(vm->tree()->findNode(failing), nullptr);
    EXPECT_LT(vm->root()->sizeOnDisk, rootSize);

    // When nothing moves, nothing changes.
    for (const auto& p : all) {
        writeFileText(p, "again");
        trash->refuse(p);
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(uninstall(), all);
    EXPECT_EQ(vm->generation(), 2);
}
