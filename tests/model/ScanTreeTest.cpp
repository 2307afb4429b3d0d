#include "model/ScanTree.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using ChildOrders = std::map<const FileNode*, std::vector<FileNode*>>;

ChildOrders childOrders(const FileNode* root) {
    ChildOrders orders;
    root->forEachNode([&](FileNode* n) {
        if (n->isDirectory()) orders[n].assign(n->children().begin(), n->children().end());
    });
    return orders;
}

// The roll-up invariants, and children in the order a stable largest-first sort of their order `before`
// gives.
void expectConsistent(const FileNode* root, const ChildOrders& before) {
    expectRolledUp(root);
    root->forEachNode([&](FileNode* node) {
        if (!node->isDirectory()) return;
        std::vector<FileNode*> expected;
        for (FileNode* c : before.at(node))
            if (std::find(node->children().begin(), node->children().end(), c) != node->children().end())
                expected.push_back(c);
        FileNode::sortBySizeOnDisk(expected);
        EXPECT_TRUE(std::ranges::equal(expected, node->children())) << node->path();
    });
}

// Sizes in blocks: after the removals mid (8 blocks) falls behind small (10) and ties with small2.
std::shared_ptr<ScanTree> sampleTree() {
    TreeBuilder b("/data/t");
    for (auto [name, blocks] : {std::pair{"big/b.mov", 40},
                                {"mid/m1.txt", 30},
                                {"mid/deep/m2.jpg", 8},
                                {"small/s.jpg", 10},
                                {"small2/s2.txt", 8},
                                {"small2/inner/z.zip", 1},
                                {"loose.txt", 1}})
        b.fileAt(name, int64_t{blocks} * 4096);
    return b.finish();
}

} // namespace

class ScanTreeRemoval : public ::testing::Test {
  protected:
    // Removes through the tree, checking every invariant of it afterwards.
    TreeRemoval remove(ScanTree& tree, const std::vector<std::string>& relative) {
        std::vector<std::string> paths;
        for (const auto& r : relative)
            paths.push_back("/data/t/" + r);
        auto before = childOrders(tree.root());
        const uint64_t edits = tree.editCount();
        TreeRemoval removal = tree.removeItems(paths);
        expectConsistent(tree.root(), before);
        EXPECT_EQ(tree.editCount(), edits + 1);
        return removal;
    }
    std::shared_ptr<ScanTree> tree = sampleTree();
    FileNode* at(std::string_view relative) const {
        return const_cast<FileNode*>(findNode(tree->root(), relative));
    }
};

TEST_F(ScanTreeRemoval, RemovedItemsLeaveEveryAncestorConsistentAndInStableOrder) {
    FileNode* root = tree->root();
    const int64_t size = root->sizeOnDisk, files = root->fileCount(), folders = root->folderCount();
    FileNode *inner = at("small2/inner"), *m1 = at("mid/m1.txt");
    const int64_t removed = m1->sizeOnDisk + at("small2/inner/z.zip")->sizeOnDisk;

    TreeRemoval first = remove(*tree, {"small2/inner", "nowhere/x", "", "small2/inner/z.zip"});
    EXPECT_EQ(first.removed, std::vector<FileNode*>{inner}); // nothing else exists or may go
    EXPECT_EQ(first.formerParents, std::vector<FileNode*>{at("small2")});
    remove(*tree, {"mid/m1.txt"});
    EXPECT_EQ(at("small2/inner"), nullptr);
    EXPECT_EQ(inner->parent(), nullptr);
    EXPECT_EQ(root->sizeOnDisk, size - removed);
    EXPECT_EQ(root->fileCount(), files - 2);
    EXPECT_EQ(root->folderCount(), folders - 1);
}

TEST_F(ScanTreeRemoval, AFolderAndAFileInsideItGiveTheSameTotalsInEitherOrder) {
    auto other = sampleTree();
    TreeRemoval folderFirst = remove(*tree, {"mid", "mid/deep/m2.jpg"});
    TreeRemoval fileFirst = remove(*other, {"mid/deep/m2.jpg", "mid"});
    EXPECT_EQ(folderFirst.removed.size(), 1u); // the file went with its folder
    EXPECT_EQ(fileFirst.removed.size(), 2u);
    EXPECT_EQ(tree->root()->sizeOnDisk, other->root()->sizeOnDisk);
    EXPECT_EQ(*tree->root()->typeSizes(), *other->root()->typeSizes());
    EXPECT_EQ(tree->root()->fileCount(), 5);
    EXPECT_EQ(other->root()->fileCount(), 5);
}

// What is inside a removed item, and the nearest folder that stayed.
TEST_F(ScanTreeRemoval, TellsWhatWentAndWhichFolderStayed) {
    FileNode *deep = at("mid/deep"), *m2 = at("mid/deep/m2.jpg"), *inner = at("small2/inner");
    FileNode *mid = at("mid"), *small2 = at("small2"), *big = at("big");
    TreeRemoval removal = remove(*tree, {"mid/deep", "mid", "small2/inner"});
    for (FileNode* gone : {deep, m2, mid, inner})
        EXPECT_TRUE(removal.holds(gone)) << gone->name();
    for (FileNode* kept : {tree->root(), small2, big})
        EXPECT_FALSE(removal.holds(kept)) << kept->name();
    EXPECT_EQ(removal.survivingFolder(deep), tree->root()); // its parent went too
    EXPECT_EQ(removal.survivingFolder(inner), small2);
    EXPECT_EQ(removal.survivingFolder(big), big);
}

TEST_F(ScanTreeRemoval, FindsNodesByStandardisedPathsBelowTheRootOnly) {
    EXPECT_EQ(tree->findNode("/data/t/mid/./deep/../deep/m2.jpg"), at("mid/deep/m2.jpg"));
    EXPECT_EQ(tree->findNode("/data/t/mid/deep/"), at("mid/deep"));
    EXPECT_EQ(tree->findNode("/data/t//"), tree->root());
    EXPECT_EQ(tree->findNode("/data/tx/mid"), nullptr); // a sibling whose name begins with the root's
    EXPECT_EQ(tree->findNode("/data"), nullptr);
    TreeBuilder volume("/", "Disk"); // a scan of "/" reaches a file by its whole path
    FileNode* file = volume.fileAt("usr/lib/x.so", 10);
    auto slash = volume.finish();
    EXPECT_EQ(slash->findNode("/usr/lib/x.so"), file);
}
