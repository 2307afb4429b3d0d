#include "model/AgeReport.h"
#include "model/DuplicateFinder.h"
#include "model/Rankings.h"
#include "model/ScanTree.h"
#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>

#include <atomic>
#include <shared_mutex>
#include <thread>

namespace {

FileNode* child(const FileNode* folder, std::string_view name) {
    for (FileNode* c : folder->children())
        if (c->name() == name) return c;
    return nullptr;
}

} // namespace

class ViewModelNavigationTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        dir.writeFile("t/docs/report.txt", 5000);
        dir.writeFile("t/docs/My_Report.md", 3000);
        dir.makeDir("t/docs/empty");
        dir.writeFile("t/pics/a.jpg", 20000);
        dir.writeFile("t/pics/Café.png", 9000);
        dir.writeFile("t/notes.txt", 100);
        vm = makeViewModel();
        scanAndWait(*vm, dir.str() + "/t");
        root = vm->root();
        docs = child(root, "docs");
        pics = child(root, "pics");
        ASSERT_TRUE(docs && pics);
    }
    std::unique_ptr<ScanViewModel> vm;
    FileNode* root = nullptr;
    FileNode* docs = nullptr;
    FileNode* pics = nullptr;
};

TEST_F(ViewModelNavigationTest, SelectEntersOnlyFoldersWithChildren) {
    vm->select(child(docs, "empty"));
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), child(docs, "empty"));

    vm->select(child(root, "notes.txt"));
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), child(root, "notes.txt"));

    vm->select(docs);
    EXPECT_EQ(vm->currentFolder(), docs);
    EXPECT_EQ(vm->selectedNode(), docs);

    vm->goUp();
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), docs);
    vm->goUp(); // at the root: nothing
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), docs);

    vm->reveal(child(pics, "a.jpg"));
    EXPECT_EQ(vm->currentFolder(), pics);
    EXPECT_EQ(vm->selectedNode(), child(pics, "a.jpg"));
    vm->reveal(docs);
    EXPECT_EQ(vm->currentFolder(), docs);
    EXPECT_EQ(vm->selectedNode(), docs);
}

TEST_F(ViewModelNavigationTest, GroupsCanBeSelectedButNeverEntered) {
    for (const FileNode* regrouped : {vm->tree()->categoryGroups(root), vm->tree()->ageGroups(root, 0)}) {
        auto* virtualFolder = const_cast<FileNode*>(regrouped);
        ASSERT_TRUE(virtualFolder->isVirtual());
        FileNode* group = virtualFolder->children().front();
        vm->select(docs);

        vm->select(group);
        EXPECT_EQ(vm->currentFolder(), docs);
        EXPECT_EQ(vm->selectedNode(), group);
        vm->reveal(group);
        vm->reveal(virtualFolder);
        vm->setCurrentFolder(group);
        EXPECT_EQ(vm->currentFolder(), docs);
        EXPECT_EQ(vm->selectedNode(), virtualFolder);
        vm->goUp();
        EXPECT_EQ(vm->currentFolder(), root);

        // A file shown inside a group is revealed in its real folder.
        FileNode* file = group->children().front();
        vm->reveal(file);
        EXPECT_EQ(vm->currentFolder(), file->parent());
        EXPECT_FALSE(vm->currentFolder()->isVirtual());
    }
}

TEST_F(ViewModelNavigationTest, FilterMatchesTheTrimmedTextInTheNameIgnoringCase) {
    FileNode* report = child(docs, "report.txt");
    FileNode* myReport = child(docs, "My_Report.md");
    FileNode* notes = child(root, "notes.txt");
    FileNode* cafe = child(pics, "Café.png");

    vm->setFilter(" \t ");
    for (FileNode* n : {report, myReport, notes, cafe, pics}) EXPECT_TRUE(vm->matchesFilter(n));
    vm->setFilter("  rEpOrT ");
    EXPECT_TRUE(vm->matchesFilter(report));
    EXPECT_TRUE(vm->matchesFilter(myReport));
    EXPECT_FALSE(vm->matchesFilter(notes));
    vm->setFilter("pics"); // the name only, not the path
    EXPECT_TRUE(vm->matchesFilter(pics));
    EXPECT_FALSE(vm->matchesFilter(child(pics, "a.jpg")));
    vm->setFilter("CAFÉ");
    EXPECT_TRUE(vm->matchesFilter(cafe));
    EXPECT_FALSE(vm->matchesFilter(notes));
    vm->setFilter("\nreport"); // a line break is not trimmed
    EXPECT_FALSE(vm->matchesFilter(report));
}

TEST_F(ViewModelNavigationTest, DisplayNamesTabsAndTypeBreakdown) {
    EXPECT_EQ(vm->displayName(QDir::homePath().toStdString() + "/"), "Home");
    EXPECT_EQ(vm->displayName("/"), vm->disk().name);
    EXPECT_EQ(vm->displayName(dir.str() + "/t/docs/"), "docs");

    QSignalSpy tabs(vm.get(), &ScanViewModel::tabChanged);
    vm->showExplore();
    EXPECT_EQ(tabs.count(), 0);
    vm->setTab(AppTab::duplicates);
    vm->showExplore();
    EXPECT_EQ(vm->tab(), AppTab::explore);
    EXPECT_EQ(tabs.count(), 2);

    // Images before documents, in category order, each the root's slot.
    auto breakdown = vm->rootTypeBreakdown();
    ASSERT_EQ(breakdown.size(), 2u);
    EXPECT_EQ(breakdown[0].first, FileCategory::image);
    EXPECT_EQ(breakdown[1].first, FileCategory::document);
    EXPECT_EQ(breakdown[0].second, pics->sizeOnDisk);
    EXPECT_EQ(breakdown[1].second, docs->sizeOnDisk + child(root, "notes.txt")->sizeOnDisk);
}

TEST_F(ViewModelNavigationTest, AReportIsComputedOncePerFolderAndGeneration) {
    auto tree = vm->tree();
    QSignalSpy ages(vm.get(), &ScanViewModel::ageReportsChanged);
    vm->requestAgeReport(root);
    vm->requestAgeReport(root); // pending: returns at once
    WAIT_FOR(vm->ageReport(root));
    // Every background holder of the tree has let go: no second result can still come.
    WAIT_FOR(tree.use_count() == 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(ages.count(), 1);
    EXPECT_EQ(vm->ageReport(root)->total, root->sizeOnDisk);

    vm->requestRankings(pics);
    WAIT_FOR(vm->rankingsFor(pics));
    EXPECT_EQ(vm->rankingsFor(pics)->files.size(), 2u);

    // After an edit the maps are empty and a new request computes afresh.
    vm->applyTrashed({dir.str() + "/t/pics/a.jpg"});
    EXPECT_TRUE(vm->ageReports().empty());
    EXPECT_TRUE(vm->rankings().empty());
    vm->requestRankings(pics);
    WAIT_FOR(vm->rankingsFor(pics));
    EXPECT_EQ(vm->rankingsFor(pics)->files.size(), 1u);
}

TEST_F(ViewModelNavigationTest, ResultsOfAnOlderTreeAreDropped) {
    dir.writeFile("t/pics/copy.jpg", 20000); // a duplicate of a.jpg for a fresh search
    scanAndWait(*vm, dir.str() + "/t");
    std::weak_ptr<ScanTree> oldTree = vm->tree();
    FileNode* oldRoot = vm->root();

    // Keep the background readers waiting until the next scan has been published.
    std::atomic<bool> locked = false, release = false;
    std::thread editor([tree = vm->tree(), &locked, &release]() mutable {
        std::unique_lock lock(tree->mutex());
        locked = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lock.unlock();
        tree.reset();
    });
    WAIT_FOR(locked);

    vm->requestAgeReport(oldRoot);
    vm->requestRankings(oldRoot);
    vm->findDuplicates();
    EXPECT_TRUE(vm->isFindingDuplicates());
    scanAndWait(*vm, dir.str() + "/t/docs");
    release = true;
    editor.join();

    // When the old tree is gone, every late result has been handled.
    WAIT_FOR(oldTree.expired());
    QCoreApplication::processEvents();
    EXPECT_TRUE(vm->ageReports().empty());
    EXPECT_TRUE(vm->rankings().empty());
    EXPECT_TRUE(vm->duplicateGroups().empty());
    EXPECT_FALSE(vm->isFindingDuplicates());

    // A search of the current tree publishes.
    scanAndWait(*vm, dir.str() + "/t");
    vm->findDuplicates();
    WAIT_FOR(!vm->isFindingDuplicates());
    ASSERT_EQ(vm->duplicateGroups().size(), 1u);
    EXPECT_EQ(vm->duplicateGroups()[0].files.size(), 2u);
}

TEST_F(ViewModelNavigationTest, FindingDuplicatesBeforeAnyScanDoesNothing) {
    auto fresh = makeViewModel();
    fresh->findDuplicates();
    EXPECT_FALSE(fresh->isFindingDuplicates());
}
