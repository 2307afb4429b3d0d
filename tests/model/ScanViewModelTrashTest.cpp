#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "model/DuplicateFinder.h"
#include "model/QuickWins.h"
#include "model/ScanTree.h"
#include "tests/model/ViewModelFixture.h"
#include "tests/support/TreeBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

void writeFileAt(const std::string& path, size_t size) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

FileNode* at(FileNode* root, std::string_view relative) {
    return ScanViewModel::findNode(std::string(root->path()) + "/" + std::string(relative), root);
}

// Every folder's children in their order, to compare an edit against a stable sort of the old order.
std::map<const FileNode*, std::vector<FileNode*>> childOrders(const FileNode* root) {
    std::map<const FileNode*, std::vector<FileNode*>> orders;
    root->forEachNode([&](FileNode* n) {
        if (n->isDirectory()) orders[n].assign(n->children().begin(), n->children().end());
    });
    return orders;
}

// Sizes, counts and every category slot are the sums of the children's; the children are in the order
// a stable largest-first sort of their previous order gives.
void expectConsistent(const FileNode* root, const std::map<const FileNode*, std::vector<FileNode*>>& before) {
    root->forEachNode([&](FileNode* node) {
        if (!node->isDirectory()) return;
        int64_t logical = 0, onDisk = 0, files = 0, folders = 0;
        std::array<int64_t, kFileCategoryCount> sums{};
        for (const FileNode* c : node->children()) {
            EXPECT_EQ(c->parent(), node);
            logical += c->logicalSize;
            onDisk += c->sizeOnDisk;
            files += c->isDirectory() ? c->fileCount() : 1;
            folders += c->isDirectory() ? c->folderCount() + 1 : 0;
            if (c->isDirectory())
                for (int i = 0; i < kFileCategoryCount; ++i) sums[i] += (*c->typeSizes())[i];
            else
                sums[file_category::rawValue(c->category)] += c->sizeOnDisk;
        }
        EXPECT_EQ(node->logicalSize, logical) << node->path();
        EXPECT_EQ(node->sizeOnDisk, onDisk) << node->path();
        EXPECT_EQ(node->fileCount(), files) << node->path();
        EXPECT_EQ(node->folderCount(), folders) << node->path();
        ASSERT_NE(node->typeSizes(), nullptr);
        EXPECT_EQ(*node->typeSizes(), sums) << node->path();

        auto it = before.find(node);
        ASSERT_NE(it, before.end());
        std::vector<FileNode*> expected;
        for (FileNode* c : it->second)
            if (std::find(node->children().begin(), node->children().end(), c) != node->children().end())
                expected.push_back(c);
        FileNode::sortBySizeOnDisk(expected);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), node->children().begin(), node->children().end()))
            << node->path();
    });
}

} // namespace

class ViewModelTrashTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        // Block-multiple sizes, so the sizes on disk keep the ratios: big 40, mid 30 + 8, small 10 and 8 blocks.
        dir.writeFile("t/big/b.mov", 40 * 4096, 'b');
        dir.writeFile("t/mid/m1.txt", 30 * 4096, 'm');
        dir.writeFile("t/mid/deep/m2.jpg", 8 * 4096, 'n');
        dir.writeFile("t/small/s.jpg", 10 * 4096, 's');
        dir.writeFile("t/small2/s2.txt", 8 * 4096, 't');
        dir.writeFile("t/small2/inner/z.zip", 4096, 'z');
        dir.writeFile("t/loose.txt", 100, 'l');
        vm = makeViewModel();
        scanAndWait(*vm, dir.str() + "/t");
        root = vm->root();
    }
    std::string path(const std::string& relative) const { return dir.str() + "/t/" + relative; }

    std::unique_ptr<ScanViewModel> vm;
    FileNode* root = nullptr;
};

TEST_F(ViewModelTrashTest, RemovedItemsLeaveEveryAncestorConsistentAndInStableOrder) {
    const auto rootTotals = std::make_tuple(root->sizeOnDisk, root->fileCount(), root->folderCount());
    const int64_t m1 = at(root, "mid/m1.txt")->sizeOnDisk, z = at(root, "small2/inner/z.zip")->sizeOnDisk;
    const bool equalAfterEdits = at(root, "mid/deep")->sizeOnDisk == at(root, "small2/s2.txt")->sizeOnDisk;

    auto before = childOrders(root);
    vm->applyTrashed({path("small2/inner"), path("nowhere/x")});
    expectConsistent(root, before);
    EXPECT_EQ(at(root, "small2/inner"), nullptr);

    before = childOrders(root);
    vm->applyTrashed({path("mid/m1.txt")});
    expectConsistent(root, before);
    EXPECT_EQ(at(root, "mid/m1.txt"), nullptr);

    EXPECT_EQ(root->sizeOnDisk, std::get<0>(rootTotals) - m1 - z);
    EXPECT_EQ(root->fileCount(), std::get<1>(rootTotals) - 2);
    EXPECT_EQ(root->folderCount(), std::get<2>(rootTotals) - 1);
    EXPECT_EQ(vm->generation(), 3);
    if (!equalAfterEdits) GTEST_SKIP() << "this file system does not allocate whole 4 KiB blocks";
    // mid (8 blocks now) went behind small (10) and stays ahead of small2, its equal since the first edit.
    auto kids = root->children();
    auto pos = [&](const char* name) { return std::find(kids.begin(), kids.end(), at(root, name)) - kids.begin(); };
    EXPECT_LT(pos("small"), pos("mid"));
    EXPECT_LT(pos("mid"), pos("small2"));
}

TEST_F(ViewModelTrashTest, AFolderAndAFileInsideItGiveTheSameTotalsInEitherOrder) {
    auto other = makeViewModel();
    scanAndWait(*other, dir.str() + "/t");
    auto before = childOrders(root);
    auto otherBefore = childOrders(other->root());

    vm->applyTrashed({path("mid"), path("mid/deep/m2.jpg")});
    other->applyTrashed({path("mid/deep/m2.jpg"), path("mid")});
    expectConsistent(root, before);
    expectConsistent(other->root(), otherBefore);
    EXPECT_EQ(root->sizeOnDisk, other->root()->sizeOnDisk);
    EXPECT_EQ(root->logicalSize, other->root()->logicalSize);
    EXPECT_EQ(root->fileCount(), other->root()->fileCount());
    EXPECT_EQ(root->folderCount(), other->root()->folderCount());
    EXPECT_EQ(*root->typeSizes(), *other->root()->typeSizes());
    EXPECT_EQ(root->fileCount(), 5);
}

TEST_F(ViewModelTrashTest, NothingOrTheRootItselfIsNotRemoved) {
    QSignalSpy generations(vm.get(), &ScanViewModel::generationChanged);
    vm->applyTrashed({});
    EXPECT_EQ(generations.count(), 0);

    const int64_t size = root->sizeOnDisk;
    vm->requestAgeReport(root);
    WAIT_FOR(vm->ageReport(root));
    vm->applyTrashed({path("") + "/", dir.str() + "/t-sibling/x"});
    EXPECT_EQ(vm->root(), root);
    EXPECT_EQ(root->sizeOnDisk, size);
    EXPECT_EQ(vm->generation(), 2);
    EXPECT_TRUE(vm->ageReports().empty());
}

TEST_F(ViewModelTrashTest, FindsNodesByStandardisedPathOnly) {
    FileNode* m2 = at(root, "mid/deep/m2.jpg");
    ASSERT_NE(m2, nullptr);
    EXPECT_EQ(ScanViewModel::findNode(path("mid/./deep/../deep/m2.jpg"), root), m2);
    EXPECT_EQ(ScanViewModel::findNode(path("mid/deep/"), root), m2->parent());
    EXPECT_EQ(ScanViewModel::findNode(dir.str() + "/t", root), root);
    EXPECT_EQ(ScanViewModel::findNode(dir.str() + "/tx/mid", root), nullptr);

    // A scan of "/" reaches a file by its whole path.
    TreeBuilder volume("/", "Disk");
    FileNode* file = volume.fileAt("usr/lib/x.so", 10);
    auto tree = volume.finish();
    EXPECT_EQ(ScanViewModel::findNode("/usr/lib/x.so", tree->root()), file);
    EXPECT_EQ(ScanViewModel::findNode("/", tree->root()), tree->root());
}

TEST_F(ViewModelTrashTest, CurrentFolderAndSelectionLeaveRemovedSubtrees) {
    vm->select(at(root, "mid/deep"));
    vm->select(at(root, "mid/deep/m2.jpg"));
    ASSERT_EQ(vm->currentFolder(), at(root, "mid/deep"));
    vm->applyTrashed({path("mid")});
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), root);

    // Something inside a folder goes first, then the folder: the view still lands in the tree.
    vm->select(at(root, "small2/inner"));
    vm->applyTrashed({path("small2/inner"), path("small2")});
    EXPECT_EQ(vm->currentFolder(), root);
    EXPECT_EQ(vm->selectedNode(), root);
    EXPECT_TRUE(vm->currentFolder()->hasRealLocation());

    // A selection inside a removed folder outside the current one moves to the current folder.
    vm->select(at(root, "big"));
    vm->setSelectedNode(at(root, "small/s.jpg"));
    vm->applyTrashed({path("small")});
    EXPECT_EQ(vm->currentFolder(), at(root, "big"));
    EXPECT_EQ(vm->selectedNode(), at(root, "big"));
}

TEST_F(ViewModelTrashTest, DuplicateGroupsArePrunedAndQuickWinsRecomputed) {
    dir.writeFile("t/dups/a.bin", 50000, 'd');
    dir.writeFile("t/dups/b.bin", 50000, 'd');
    dir.writeFile("t/dups/c.bin", 50000, 'd');
    dir.writeFile("t/node_modules/pkg/index.js", 1000);
    scanAndWait(*vm, dir.str() + "/t");
    root = vm->root();
    auto hasNodeModules = [&] {
        return std::any_of(vm->quickWins().begin(), vm->quickWins().end(),
                           [](const auto& c) { return c.kind == QuickWins::Kind::nodeModules; });
    };
    EXPECT_TRUE(hasNodeModules());

    vm->findDuplicates();
    WAIT_FOR(!vm->isFindingDuplicates());
    ASSERT_EQ(vm->duplicateGroups().size(), 1u);
    const QUuid firstId = vm->duplicateGroups()[0].id;

    vm->applyTrashed({path("dups/a.bin")});
    ASSERT_EQ(vm->duplicateGroups().size(), 1u);
    EXPECT_EQ(vm->duplicateGroups()[0].files.size(), 2u);
    EXPECT_EQ(vm->duplicateGroups()[0].size, 50000);
    EXPECT_NE(vm->duplicateGroups()[0].id, firstId);

    vm->applyTrashed({path("dups/b.bin"), path("node_modules")});
    EXPECT_TRUE(vm->duplicateGroups().empty());
    WAIT_FOR(!hasNodeModules());
}

TEST_F(ViewModelTrashTest, InstalledApplicationsArePrunedEvenWithoutAScan) {
    const std::string home = QDir::homePath().toStdString();
    writeFileAt(home + "/Applications/Toolbench-1.2.AppImage", 1000);
    std::filesystem::permissions(home + "/Applications/Toolbench-1.2.AppImage", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    writeFileAt(home + "/.cache/toolbench/a", 1000);
    writeFileAt(home + "/.cache/toolbench-updates/b", 1000);
    writeFileAt(home + "/.config/toolbench.conf", 10);

    auto fresh = makeViewModel();
    fresh->refreshInstalledApps(false);
    EXPECT_TRUE(fresh->isLoadingApps());
    WAIT_FOR(!fresh->isLoadingApps());
    ASSERT_EQ(fresh->installedApps().size(), 1u);
    const auto app = fresh->installedApps()[0];
    auto caches = std::find_if(app.leftovers.begin(), app.leftovers.end(), [](auto& g) { return g.category == "Caches"; });
    ASSERT_NE(caches, app.leftovers.end());
    ASSERT_EQ(caches->urls.size(), 2u);

    fresh->applyTrashed({caches->urls[0]});
    EXPECT_EQ(fresh->generation(), 1);
    ASSERT_EQ(fresh->installedApps().size(), 1u);
    const auto& pruned = fresh->installedApps()[0];
    EXPECT_EQ(pruned.id, app.id);
    EXPECT_EQ(pruned.leftovers.size(), app.leftovers.size());
    auto prunedCaches = std::find_if(pruned.leftovers.begin(), pruned.leftovers.end(),
                                     [](auto& g) { return g.category == "Caches"; });
    EXPECT_EQ(prunedCaches->urls, std::vector<std::string>{caches->urls[1]});
    EXPECT_EQ(prunedCaches->totalSize, caches->totalSize / 2);
    EXPECT_NE(prunedCaches->id, caches->id);

    // Loaded once: a refresh without force keeps the list.
    fresh->refreshInstalledApps(false);
    EXPECT_FALSE(fresh->isLoadingApps());

    fresh->applyTrashed({app.bundleURL});
    EXPECT_TRUE(fresh->installedApps().empty());
    EXPECT_EQ(fresh->generation(), 2);
    std::filesystem::remove_all(home + "/Applications");
}
