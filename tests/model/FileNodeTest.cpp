#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/TreeRollUp.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeChecks.h"

#include <gtest/gtest.h>

namespace {

constexpr double kDay = 86400;

std::vector<std::string> names(std::span<FileNode* const> nodes) {
    std::vector<std::string> out;
    for (const FileNode* n : nodes) out.emplace_back(n->name());
    return out;
}

} // namespace

TEST(FileNodePath, JoinsNamesBelowTheRootAndCutsRemovedNodesLoose) {
    TreeBuilder slash("/");
    FileNode* users = slash.folder(slash.root(), "Users");
    FileNode* ann = slash.folder(users, "ann");
    slash.attach();
    EXPECT_EQ(slash.root()->path(), "/");
    EXPECT_EQ(users->path(), "/Users");
    EXPECT_EQ(ann->path(), "/Users/ann");

    TreeBuilder data("/Volumes/Data");
    EXPECT_EQ(data.root()->name(), "Data");
    FileNode* c = data.folder(data.root(), "c");
    FileNode* d = data.file(c, "d", 1);
    data.file(data.root(), "e", 1);
    data.attach();
    EXPECT_EQ(d->path(), "/Volumes/Data/c/d");
    EXPECT_TRUE(d->hasRealLocation());

    data.root()->removeChildAt(0);
    EXPECT_EQ(names(data.root()->children()), std::vector<std::string>{"e"});
    EXPECT_EQ(d->path(), "c/d");
    EXPECT_FALSE(d->hasRealLocation());

    EXPECT_EQ(rootDisplayName("/a/b/"), "b");
    EXPECT_EQ(rootDisplayName("relative"), "relative");
}

TEST(FileNodeOrder, SortIsLargestFirstAndStableForShortAndLongLists) {
    TreeBuilder b("/t");
    std::vector<FileNode*> few;
    for (int64_t size : {5, 9, 5, 9}) few.push_back(b.file(b.root(), "n" + std::to_string(few.size()), size));
    FileNode::sortBySizeOnDisk(few);
    EXPECT_EQ(names(few), (std::vector<std::string>{"n1", "n3", "n0", "n2"}));

    // Longer lists take other paths (the longest a radix sort): sizes over many bytes, with ties.
    for (int count : {40, 5000}) {
        std::vector<FileNode*> many;
        for (int i = 0; i < count; ++i)
            many.push_back(b.file(b.root(), std::to_string(i), count == 40 ? i % 3 : (int64_t(i) * 7919 % 997) << (i % 41)));
        std::vector<FileNode*> expected = many;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const FileNode* a, const FileNode* c) { return a->sizeOnDisk > c->sizeOnDisk; });
        FileNode::sortBySizeOnDisk(many);
        EXPECT_EQ(many, expected) << count;
    }
}

TEST(FileNodeCategories, DominantAndTopCategoriesFromTheSlots) {
    TreeBuilder b("/t");
    FileNode* root = b.root();
    FileNode* mixed = b.folder(root, "mixed");
    b.file(mixed, "v", 10, 0, std::nullopt, FileCategory::video);
    b.file(mixed, "i", 30, 0, std::nullopt, FileCategory::image);
    b.file(mixed, "d", 30, 0, std::nullopt, FileCategory::document);
    b.file(mixed, "a", 5, 0, std::nullopt, FileCategory::archive);
    b.file(mixed, "s", 20, 0, std::nullopt, FileCategory::system);
    FileNode* empty = b.folder(root, "empty");
    FileNode* lone = b.file(root, "lone", 7, 0, std::nullopt, FileCategory::audio);
    b.attach();
    EXPECT_TRUE(b.root()->topCategories(3).empty()); // not rolled up yet
    rollUpSubtree(root);

    EXPECT_EQ(mixed->dominantCategory(), FileCategory::image); // tie with document: lower index wins
    EXPECT_EQ(mixed->topCategories(3),
              (std::vector<FileCategory>{FileCategory::image, FileCategory::document, FileCategory::system}));
    EXPECT_EQ(empty->dominantCategory(), FileCategory::other);
    EXPECT_TRUE(empty->topCategories(3).empty());
    EXPECT_EQ(lone->topCategories(3), std::vector<FileCategory>{FileCategory::audio});
}

TEST(TreeRollUp, SumsCountsAndStampsOnEveryFolder) {
    TreeBuilder b("/t");
    FileNode* root = b.root();
    root->modifiedStamp = 5;
    FileNode* a = b.folder(root, "a", 100);
    b.file(a, "old", 10, 200, std::nullopt, FileCategory::image);
    b.file(a, "new", 30, 300, std::nullopt, FileCategory::image);
    FileNode* empty = b.folder(a, "empty", 150);
    FileNode* unknown = b.folder(root, "unknown", 250);
    b.file(unknown, "nostamp", 4, 0, std::nullopt, FileCategory::other);
    for (int i = 0; i < 4; ++i) {
        FileNode* branch = b.folder(root, "branch" + std::to_string(i), 1);
        for (int j = 0; j < 4; ++j)
            b.file(b.folder(branch, "leaf" + std::to_string(j), 1), "f", i * 10 + j, 50, std::nullopt, FileCategory::video);
    }
    b.attach();
    rollUpTree(root, 4);

    expectRolledUp(root);
    EXPECT_EQ(root->fileCount(), 3 + 16);
    EXPECT_EQ(root->folderCount(), 2 + 1 + 4 + 16);
    EXPECT_EQ(names(a->children()), (std::vector<std::string>{"new", "old", "empty"}));
    EXPECT_DOUBLE_EQ(a->modifiedStamp, 300);
    EXPECT_DOUBLE_EQ(empty->modifiedStamp, 150);   // no children: its own time
    EXPECT_DOUBLE_EQ(unknown->modifiedStamp, 250); // children of unknown time: its own time
    EXPECT_DOUBLE_EQ(root->modifiedStamp, 300);
    EXPECT_EQ((*a->typeSizes())[file_category::rawValue(FileCategory::image)], 40);

    // Rolling up twice gives the same result (sums are recomputed, not added).
    int64_t before = root->sizeOnDisk;
    rollUpTree(root, 2);
    EXPECT_EQ(root->sizeOnDisk, before);
}

TEST(TreeRollUp, VeryDeepTreesNeedNoRecursion) {
    TreeBuilder b("/deep");
    FileNode* node = b.root();
    for (int i = 0; i < 50000; ++i) node = b.folder(node, "d");
    FileNode* leaf = b.file(node, "f", 512);
    b.attach();
    rollUpTree(b.root(), 8);
    EXPECT_EQ(b.root()->sizeOnDisk, 512);
    EXPECT_EQ(b.root()->folderCount(), 50000);
    EXPECT_EQ(leaf->path().size(), std::string("/deep").size() + 50000 * 2 + 2);
}

TEST(Regroupings, ByTypeGroupsLargestFirstAndIsMemoisedUntilAnEdit) {
    TreeBuilder b("/t");
    FileNode* root = b.root();
    FileNode* sub = b.folder(root, "sub");
    FileNode* movie = b.file(sub, "movie", 3'000'000'000, 0, std::nullopt, FileCategory::video);
    b.file(root, "report", 5'000'000'000, 0, std::nullopt, FileCategory::document);
    FileNode* onlyEmpty = b.folder(root, "onlyEmpty");
    b.folder(onlyEmpty, "nothing");
    std::shared_ptr<ScanTree> tree = b.finish();

    const FileNode* byType = tree->categoryGroups(root);
    ASSERT_NE(byType, root);
    EXPECT_EQ(names(byType->children()), (std::vector<std::string>{"Document", "Video"}));
    EXPECT_EQ(byType->folderCount(), 2);
    EXPECT_EQ(byType->fileCount(), root->fileCount());
    EXPECT_EQ(byType->sizeOnDisk, root->sizeOnDisk);
    const FileNode* video = byType->children()[1];
    EXPECT_EQ(video->dominantCategory(), FileCategory::video);
    EXPECT_EQ(video->path(), "Video");
    EXPECT_EQ(video->children()[0], movie);
    EXPECT_EQ(video->children()[0]->path(), "/t/sub/movie"); // files stay real

    EXPECT_EQ(tree->categoryGroups(root), byType);
    tree->noteEdited();
    const FileNode* again = tree->categoryGroups(root);
    EXPECT_NE(again, byType);
    EXPECT_EQ(byType->children()[0]->name(), "Document"); // the old regrouping stays alive

    EXPECT_EQ(tree->categoryGroups(onlyEmpty), onlyEmpty);
    EXPECT_EQ(tree->ageGroups(onlyEmpty, 1e9), onlyEmpty);
}

TEST(Regroupings, LargeGroupsHoldEveryFileInWalkOrderSortedLargestFirst) {
    // Groups of thousands of files, from nested folders, with equal sizes: the same as sorting the
    // folder's files of each group.
    const double now = 1'800'000'000;
    TreeBuilder b("/t");
    FileNode* sub = b.folder(b.root(), "sub");
    for (int i = 0; i < 12000; ++i) {
        FileNode* parent = i % 3 ? sub : b.root();
        const double modified = i % 2 ? now : now - 400 * kDay;
        b.file(parent, std::to_string(i), (int64_t(i) * 7919 % 997) << (i % 29), modified, std::nullopt,
               i % 5 ? FileCategory::video : FileCategory::audio);
    }
    std::shared_ptr<ScanTree> tree = b.finish();
    auto expect = [&](const FileNode* groups, auto inGroup) {
        for (const FileNode* group : groups->children()) {
            std::vector<FileNode*> files = b.root()->allFiles();
            std::erase_if(files, [&](const FileNode* f) { return !inGroup(f, group); });
            std::stable_sort(files.begin(), files.end(), [](const FileNode* x, const FileNode* y) {
                return x->sizeOnDisk > y->sizeOnDisk;
            });
            const auto kids = group->children();
            EXPECT_EQ(std::vector<FileNode*>(kids.begin(), kids.end()), files) << group->name();
            int64_t bytes = 0;
            for (const FileNode* f : files) bytes += f->sizeOnDisk;
            EXPECT_EQ(group->sizeOnDisk, bytes) << group->name();
            EXPECT_EQ(group->fileCount(), int64_t(files.size())) << group->name();
        }
    };
    const FileNode* byType = tree->categoryGroups(b.root());
    ASSERT_EQ(byType->children().size(), 2u);
    expect(byType, [](const FileNode* f, const FileNode* g) { return f->category == g->dominantCategory(); });
    const FileNode* byAge = tree->ageGroups(b.root(), now);
    ASSERT_EQ(byAge->children().size(), 2u);
    expect(byAge, [&](const FileNode* f, const FileNode* g) {
        return kAgeSections[ageSectionIndex(f->modifiedStamp, now)].title == g->name();
    });
}

TEST(Regroupings, ByAgeUsesTableOrderAndSectionBoundaries) {
    const double now = 1'800'000'000;
    EXPECT_EQ(ageSectionIndex(0, now), 5);
    EXPECT_EQ(ageSectionIndex(now - 7 * kDay - 1, now), 1);
    EXPECT_EQ(ageSectionIndex(now - 7 * kDay + 1, now), 0);
    EXPECT_EQ(ageSectionIndex(now - 730 * kDay, now), 5);
    EXPECT_EQ(ageSectionIndex(now - 729 * kDay, now), 4);
    EXPECT_EQ(ageSectionIndex(now + 1000, now), 0);

    TreeBuilder b("/t");
    FileNode* root = b.root();
    b.file(root, "ancient", 900, now - 800 * kDay, std::nullopt, FileCategory::other);
    b.file(root, "fresh", 10, now - kDay, std::nullopt, FileCategory::other);
    b.file(root, "unknown", 50, 0, std::nullopt, FileCategory::other);
    std::shared_ptr<ScanTree> tree = b.finish();
    const FileNode* byAge = tree->ageGroups(root, now);
    EXPECT_EQ(names(byAge->children()), (std::vector<std::string>{"Last 7 days", "Older"}));
    const FileNode* older = byAge->children()[1];
    EXPECT_EQ(names(older->children()), (std::vector<std::string>{"ancient", "unknown"}));
    EXPECT_EQ(older->sizeOnDisk, 950);
    EXPECT_DOUBLE_EQ(older->modifiedStamp, now - 1000 * kDay);
    EXPECT_EQ(older->dominantCategory(), FileCategory::other);
}
