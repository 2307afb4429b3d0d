#include "model/DuplicateSearch.h"
#include "model/FolderReports.h"
#include "tests/model/ViewModelFixture.h"
#include "tests/support/SparseTwins.h"
#include "tests/support/TreeHold.h"

#include <QCoreApplication>
#include <QSignalSpy>

class ViewModelNavigationTest : public ScannedFolderTest {
  protected:
    void SetUp() override {
        ScannedFolderTest::SetUp();
        for (auto [name, size] : {std::pair{"t/docs/report.txt", 5000},
                                  {"t/docs/My_Report.md", 3000},
                                  {"t/pics/a.jpg", 20000},
                                  {"t/pics/Café.png", 9000},
                                  {"t/notes.txt", 100}})
            dir.writeFile(name, static_cast<size_t>(size));
        dir.makeDir("t/docs/empty");
        scanFolder();
    }
};

TEST_F(ViewModelNavigationTest, SelectEntersOnlyFoldersWithChildrenAndGoUpSelectsWhatWasLeft) {
    enum Action { select, goUp, reveal };
    const std::tuple<Action, const char*, const char*, const char*> steps[] = {
        // action, node, current, selected
        {select, "docs/empty", "", "docs/empty"},
        {select, "notes.txt", "", "notes.txt"},
        {select, "docs", "docs", "docs"},
        {goUp, nullptr, "", "docs"},
        {goUp, nullptr, "", "docs"}, // at the root: nothing
        {reveal, "pics/a.jpg", "pics", "pics/a.jpg"},
        {reveal, "docs", "docs", "docs"},
    };
    for (auto [action, node, current, selected] : steps) {
        if (action == select)
            vm->select(at(node));
        else if (action == goUp)
            vm->goUp();
        else
            vm->reveal(at(node));
        EXPECT_EQ(vm->currentFolder(), at(current)) << action << " " << (node ? node : "");
        EXPECT_EQ(vm->selectedNode(), at(selected)) << action << " " << (node ? node : "");
    }
}

// A regrouping has no parent to go back to: it is shown, never entered.
TEST_F(ViewModelNavigationTest, GroupsCanBeSelectedButNeverEntered) {
    for (const FileNode* regrouped : {vm->tree()->categoryGroups(root), vm->tree()->ageGroups(root, 0)}) {
        auto* virtualFolder = const_cast<FileNode*>(regrouped);
        FileNode* group = virtualFolder->children().front();
        vm->select(at("docs"));
        vm->select(group);
        vm->reveal(group);
        vm->reveal(virtualFolder);
        vm->setCurrentFolder(group);
        EXPECT_EQ(vm->currentFolder(), at("docs"));
        EXPECT_EQ(vm->selectedNode(), virtualFolder);
        vm->goUp();
        EXPECT_EQ(vm->currentFolder(), root);

        FileNode* file = group->children().front(); // revealed in its real folder
        vm->reveal(file);
        EXPECT_EQ(vm->currentFolder(), file->parent());
        EXPECT_FALSE(vm->currentFolder()->isVirtual());
    }
}

TEST_F(ViewModelNavigationTest, FilterMatchesTheTrimmedTextInTheNameIgnoringCase) {
    struct Case {
        const char* filter;
        std::vector<const char*> matching, others;
    } cases[] = {
        {" \t ", {"docs/report.txt", "notes.txt", "pics/Café.png", "pics"}, {}},
        {"  rEpOrT ", {"docs/report.txt", "docs/My_Report.md"}, {"notes.txt"}},
        {"pics", {"pics"}, {"pics/a.jpg"}}, // the name only, not the path
        {"CAFÉ", {"pics/Café.png"}, {"notes.txt"}},
        {"\nreport", {}, {"docs/report.txt"}}, // a line break is not trimmed
    };
    for (const auto& c : cases) {
        vm->setFilter(QString::fromUtf8(c.filter));
        for (const char* n : c.matching)
            EXPECT_TRUE(vm->matchesFilter(at(n))) << c.filter << " " << n;
        for (const char* n : c.others)
            EXPECT_FALSE(vm->matchesFilter(at(n))) << c.filter << " " << n;
    }
}

TEST_F(ViewModelNavigationTest, AReportIsComputedOncePerFolderAndGeneration) {
    auto tree = vm->tree();
    QSignalSpy ages(&vm->reports(), &FolderReports::ageReportsChanged);
    vm->requestAgeReport(root);
    vm->requestAgeReport(root); // pending: returns at once
    WAIT_FOR(vm->reports().ageReport(root));
    // Only this test, the state object and its reports hold the tree: no second result can come.
    WAIT_FOR(tree.use_count() == 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(ages.count(), 1);
    EXPECT_EQ(vm->reports().ageReport(root)->total, root->sizeOnDisk);

    vm->requestRankings(at("pics"));
    WAIT_FOR(vm->reports().rankingsFor(at("pics")));
    vm->applyTrashed({dir.str() + "/t/pics/a.jpg"}); // an edit empties both
    EXPECT_TRUE(vm->reports().ageReports().empty());
    EXPECT_TRUE(vm->reports().rankings().empty());
}

// Late results of a replaced tree never show: neither while the next scan runs nor after it.
TEST_F(ViewModelNavigationTest, ResultsOfAnOlderTreeAreDropped) {
    dir.writeFile("t/pics/copy.jpg", 20000); // a duplicate of a.jpg for a fresh search
    scanAndWait(*vm, dir.str() + "/t");
    std::weak_ptr<ScanTree> oldTree = vm->tree();
    FileNode* oldRoot = vm->root();
    // Keep the background readers waiting until the next scan has started.
    TreeHold hold(vm->tree());

    vm->requestAgeReport(oldRoot);
    vm->requestRankings(oldRoot);
    vm->findDuplicates();
    EXPECT_TRUE(vm->duplicates().isSearching());
    dir.writeFile("t/docs/slow/x", 10); // the next scan waits there
    vm->scan(dir.str() + "/t/docs");
    WAIT_FOR(gate->reached() == 1);
    hold.release();

    WAIT_FOR(oldTree.expired()); // every late result has been handled
    QCoreApplication::processEvents();
    EXPECT_TRUE(vm->status().isScanning());
    EXPECT_TRUE(vm->reports().ageReports().empty());
    EXPECT_TRUE(vm->reports().rankings().empty());
    EXPECT_TRUE(vm->duplicates().groups().empty());
    EXPECT_FALSE(vm->duplicates().isSearching());

    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_TRUE(vm->reports().ageReports().empty());
    EXPECT_TRUE(vm->reports().rankings().empty());
    EXPECT_TRUE(vm->duplicates().groups().empty());
}

// Nor does a search of the old tree read on once a new scan has started: it stops within the file it
// reads, and lets the old tree go.
TEST_F(ViewModelNavigationTest, ANewScanStopsTheSearchOfTheOldTree) {
    constexpr int64_t size = int64_t{1} << 30;
    writeSparseTwins(dir, "t/big", size);
    scanAndWait(*vm, dir.str() + "/t");
    std::weak_ptr<ScanTree> oldTree = vm->tree();
    const int64_t before = bytesReadByProcess();
    ASSERT_GE(before, 0);
    vm->findDuplicates();
    WAIT_FOR(bytesReadByProcess() - before > kTwinsBeingHashed);
    vm->scan(dir.str() + "/t/docs");
    WAIT_FOR(!vm->duplicates().isSearching());
    EXPECT_LT(bytesReadByProcess() - before, size);
    WAIT_FOR(oldTree.expired());
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_TRUE(vm->duplicates().groups().empty());
}
