#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/TreeRollUp.h"
#include "tests/support/TestTree.h"
#include "tests/support/TreeChecks.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr double kDay = 86400;

std::vector<std::string> names(std::span<FileNode* const> nodes) {
    std::vector<std::string> out;
    for (const FileNode* n : nodes)
        out.emplace_back(n->name());
    return out;
}

} // namespace

TEST(FileNodePath, JoinsNamesBelowTheRootAndCutsRemovedNodesLoose) {
    TreeBuilder slash("/");
    FileNode* ann = slash.folderAt("Users/ann");
    slash.attach();
    EXPECT_EQ(slash.root()->path(), "/");
    EXPECT_EQ(ann->path(), "/Users/ann");

    TreeBuilder data("/Volumes/Data");
    EXPECT_EQ(data.root()->name(), "Data");
    FileNode* d = data.fileAt("c/d", 1);
    data.fileAt("e", 1);
    data.attach();
    EXPECT_EQ(d->path(), "/Volumes/Data/c/d");
    EXPECT_TRUE(d->hasRealLocation());
    data.root()->removeChildAt(0);
    EXPECT_EQ(names(data.root()->children()), std::vector<std::string>{"e"});
    EXPECT_EQ(d->path(), "c/d");
    EXPECT_FALSE(d->hasRealLocation());

    // Appended to what the string holds already, as a walk reusing one string does.
    std::string out = "x:";
    ann->appendPath(out);
    slash.root()->appendPath(out);
    d->appendPath(out);
    EXPECT_EQ(out, "x:/Users/ann/c/d");
}

TEST(TreeRollUp, SumsCountsStampsAndCategoriesOnEveryFolder) {
    TestTree t("/t");
    FileNode* root = t.root();
    root->modifiedStamp = 5;
    FileNode* a = t.folder(root, "a", 100);
    t.file(a, "old", 30, FileCategory::image, 200);
    t.file(a, "new", 30, FileCategory::document, 300);
    t.file(a, "v", 10, FileCategory::video, 250);
    FileNode* empty = t.folder(a, "empty", 150);
    FileNode* unknown = t.folder(root, "unknown", 250);
    t.file(unknown, "nostamp", 4);
    for (int i = 0; i < 4; ++i) {
        FileNode* branch = t.folder(root, "branch" + std::to_string(i), 1);
        for (int j = 0; j < 4; ++j)
            t.file(t.folder(branch, "leaf" + std::to_string(j), 1), "f", i * 10 + j, FileCategory::video, 50);
    }
    t.attach();
    EXPECT_TRUE(root->topCategories(3).empty()); // not rolled up yet
    rollUpTree(root, 4);

    expectRolledUp(root);
    EXPECT_EQ(root->fileCount(), 4 + 16);
    EXPECT_EQ(root->folderCount(), 2 + 1 + 4 + 16);
    EXPECT_EQ(names(a->children()), (std::vector<std::string>{"old", "new", "v", "empty"}));
    EXPECT_DOUBLE_EQ(a->modifiedStamp, 300);
    EXPECT_DOUBLE_EQ(empty->modifiedStamp, 150);   // no children: its own time
    EXPECT_DOUBLE_EQ(unknown->modifiedStamp, 250); // children of unknown time: its own time
    EXPECT_DOUBLE_EQ(root->modifiedStamp, 300);
    EXPECT_EQ(a->dominantCategory(), FileCategory::image); // a tie: the lower category wins
    EXPECT_EQ(a->topCategories(3),
              (std::vector<FileCategory>{FileCategory::image, FileCategory::document, FileCategory::video}));
    EXPECT_EQ(empty->dominantCategory(), FileCategory::other);
    EXPECT_TRUE(empty->topCategories(3).empty());

    const int64_t before = root->sizeOnDisk; // sums are recomputed, not added
    rollUpTree(root, 2);
    EXPECT_EQ(root->sizeOnDisk, before);
}

TEST(TreeRollUp, VeryDeepTreesNeedNoRecursion) {
    TreeBuilder b("/deep");
    FileNode* node = b.root();
    for (int i = 0; i < 50000; ++i)
        node = b.folder(node, "d");
    FileNode* leaf = b.file(node, "f", 512);
    b.attach();
    rollUpTree(b.root(), 8);
    EXPECT_EQ(b.root()->sizeOnDisk, 512);
    EXPECT_EQ(b.root()->folderCount(), 50000);
    EXPECT_EQ(leaf->path().size(), std::string("/deep").size() + 50000 * 2 + 2);
}

TEST(Regroupings, ByTypeGroupsLargestFirstAndIsMemoisedUntilAnEdit) {
    TestTree t("/t");
    FileNode* root = t.root();
    FileNode* movie = t.file(t.folder(root, "sub"), "movie", 3'000'000'000, FileCategory::video);
    t.file(root, "report", 5'000'000'000, FileCategory::document);
    FileNode* onlyEmpty = t.folder(root, "onlyEmpty");
    t.folder(onlyEmpty, "nothing");
    t.finish();

    const FileNode* byType = t.tree->categoryGroups(root);
    EXPECT_EQ(names(byType->children()), (std::vector<std::string>{"Document", "Video"}));
    EXPECT_EQ(byType->fileCount(), root->fileCount());
    EXPECT_EQ(byType->sizeOnDisk, root->sizeOnDisk);
    const FileNode* video = byType->children()[1];
    EXPECT_EQ(video->path(), "Video");
    EXPECT_EQ(video->children()[0], movie);
    EXPECT_EQ(movie->path(), "/t/sub/movie"); // files stay real

    EXPECT_EQ(t.tree->categoryGroups(root), byType);
    t.tree->noteEdited();
    EXPECT_NE(t.tree->categoryGroups(root), byType);
    EXPECT_EQ(byType->children()[0]->name(), "Document"); // the old regrouping stays alive
    EXPECT_EQ(t.tree->categoryGroups(onlyEmpty), onlyEmpty);
    EXPECT_EQ(t.tree->ageGroups(onlyEmpty, 1e9), onlyEmpty);
}

// Groups of thousands of files from nested folders with equal sizes: each group holds what a stable
// largest-first sort of the walk's files of that group gives.
TEST(Regroupings, LargeGroupsHoldEveryFileInWalkOrderSortedLargestFirst) {
    const double now = 1'800'000'000;
    TestTree t("/t");
    FileNode* sub = t.folder(t.root(), "sub");
    for (int i = 0; i < 12000; ++i)
        t.file(i % 3 ? sub : t.root(), std::to_string(i), (int64_t(i) * 7919 % 997) << (i % 29),
               i % 5 ? FileCategory::video : FileCategory::audio, i % 2 ? now : now - 400 * kDay);
    t.finish();
    auto expect = [&](const FileNode* groups, auto inGroup) {
        ASSERT_EQ(groups->children().size(), 2u);
        for (const FileNode* group : groups->children()) {
            std::vector<FileNode*> files = t.root()->allFiles();
            std::erase_if(files, [&](const FileNode* f) { return !inGroup(f, group); });
            std::stable_sort(files.begin(), files.end(), [](const FileNode* x, const FileNode* y) {
                return x->sizeOnDisk > y->sizeOnDisk;
            });
            EXPECT_TRUE(std::ranges::equal(group->children(), files)) << group->name();
            int64_t bytes = 0;
            for (const FileNode* f : files)
                bytes += f->sizeOnDisk;
            EXPECT_EQ(group->sizeOnDisk, bytes) << group->name();
            EXPECT_EQ(group->fileCount(), int64_t(files.size())) << group->name();
        }
    };
    expect(t.tree->categoryGroups(t.root()),
           [](const FileNode* f, const FileNode* g) { return f->category == g->dominantCategory(); });
    expect(t.tree->ageGroups(t.root(), now), [&](const FileNode* f, const FileNode* g) {
        return kAgeSections[ageSectionIndex(f->modifiedStamp, now)].title == g->name();
    });
}

// A sparse file may claim 2^63 - 1 bytes: a group holding it and any other file stays at the largest
// value instead of turning negative.
TEST(Regroupings, SumsOfHugeSizesStopAtTheLargestValue) {
    const double now = 1'800'000'000;
    TestTree t;
    FileNode* sub = t.folder(t.root(), "sub");
    t.file(sub, "sparse.mkv", INT64_MAX, FileCategory::video, now);
    t.file(t.root(), "clip.mp4", 5, FileCategory::video, now);
    t.file(t.root(), "notes.txt", 7, FileCategory::document, now);
    t.attach(); // a folder's own sum is the scanner's business
    const FileNode* video = t.tree->categoryGroups(t.root())->children()[0];
    EXPECT_EQ(video->name(), "Video");
    const FileNode* recent = t.tree->ageGroups(t.root(), now)->children()[0];
    for (const FileNode* group : {video, recent}) {
        EXPECT_EQ(group->sizeOnDisk, INT64_MAX) << group->name();
        EXPECT_EQ(group->logicalSize, INT64_MAX) << group->name();
    }
}

TEST(Regroupings, ByAgeUsesTableOrderAndSectionBoundaries) {
    const double now = 1'800'000'000;
    const std::pair<double, int> sections[] = {{0, 5},
                                               {now - 7 * kDay - 1, 1},
                                               {now - 7 * kDay + 1, 0},
                                               {now - 30 * kDay + 1, 1},
                                               {now - 30 * kDay, 2},
                                               {now - 91 * kDay + 1, 2},
                                               {now - 91 * kDay, 3},
                                               {now - 730 * kDay, 5},
                                               {now - 729 * kDay, 4},
                                               {now + 1000, 0}};
    for (auto [when, section] : sections)
        EXPECT_EQ(ageSectionIndex(when, now), section) << when;

    TestTree t("/t");
    t.file(t.root(), "ancient", 900, FileCategory::other, now - 800 * kDay);
    t.file(t.root(), "fresh", 10, FileCategory::other, now - kDay);
    t.file(t.root(), "unknown", 50);
    t.finish();
    const FileNode* byAge = t.tree->ageGroups(t.root(), now);
    EXPECT_EQ(names(byAge->children()), (std::vector<std::string>{"Last 7 days", "Older"}));
    const FileNode* older = byAge->children()[1];
    EXPECT_EQ(names(older->children()), (std::vector<std::string>{"ancient", "unknown"}));
    EXPECT_EQ(older->sizeOnDisk, 950);
}

// Only folders take children and totals: a file ignores both and answers as a file.
TEST(FileNodeLayout, FilesCarryNoFolderFieldsAndFoldersKeepTheirs) {
    Arena arena;
    FileNode* folder = FileNode::make(arena, "folder", true);
    FileNode* file = FileNode::make(arena, "file.txt", false);
    FileNode* other = FileNode::make(arena, "other.txt", false);
    FileNode* kids[] = {file, other};
    FolderTotals totals;
    totals.fileCount = 2;
    totals.typeSizes[0] = 7;

    file->setChildren(kids, 2);
    file->setTotals(&totals, true);
    EXPECT_TRUE(file->children().empty());
    EXPECT_EQ(file->totals(), nullptr);
    EXPECT_EQ(file->fileCount(), 0);
    EXPECT_EQ(file->typeSizes(), nullptr);
    EXPECT_EQ(file->name(), "file.txt"); // a neighbour's fields never land on a name
    EXPECT_EQ(other->name(), "other.txt");

    folder->setChildren(kids, 2);
    folder->setTotals(&totals, true);
    EXPECT_EQ(names(folder->children()), (std::vector<std::string>{"file.txt", "other.txt"}));
    EXPECT_EQ(folder->totals(), &totals);
    EXPECT_EQ(folder->fileCount(), 2);
    ASSERT_NE(folder->typeSizes(), nullptr);
    EXPECT_EQ((*folder->typeSizes())[0], 7);
    EXPECT_EQ(folder->name(), "folder");
    folder->removeChildAt(0);
    EXPECT_EQ(names(folder->children()), std::vector<std::string>{"other.txt"});
    EXPECT_EQ(file->parent(), nullptr);
}

// The creation time is kept to the second: 0 stays unknown, a known time never becomes unknown, and
// times outside what four bytes hold stop at their ends.
TEST(FileNodeLayout, CreationTimesKeepTheSecondAndUnknownStaysUnknown) {
    Arena arena;
    FileNode* file = FileNode::make(arena, "f", false);
    EXPECT_EQ(file->createdStamp, 0.0);
    file->createdStamp = 1'600'000'000.4;
    EXPECT_EQ(file->createdStamp, 1'600'000'000.0);
    file->createdStamp = 1'600'000'000.6;
    EXPECT_EQ(file->createdStamp, 1'600'000'001.0);
    file->createdStamp = 0.2;
    EXPECT_EQ(file->createdStamp, 1.0);
    file->createdStamp = 0;
    EXPECT_EQ(file->createdStamp, 0.0);
    file->createdStamp = -5;
    EXPECT_EQ(file->createdStamp, 0.0);
    file->createdStamp = 1e12;
    EXPECT_EQ(file->createdStamp, 4'294'967'295.0);
    file->modifiedStamp = 1'700'000'000.123456789; // the modification time keeps its fraction
    EXPECT_DOUBLE_EQ(file->modifiedStamp, 1'700'000'000.123456789);
}

// A folder of many children is sorted largest first with equal sizes in their order, whatever bytes
// of the sizes differ (the long-list path sorts a byte at a time).
TEST(FileNodeSort, LongListsSortLargestFirstKeepingTiesInOrder) {
    Arena arena;
    std::vector<FileNode*> nodes;
    for (int i = 0; i < 20000; ++i) {
        FileNode* f = FileNode::make(arena, std::to_string(i), false);
        f->sizeOnDisk = i % 7 == 0 ? 0 : (int64_t(i) * 2654435761 % 1000) << (i % 50);
        if (i % 1000 == 1) f->sizeOnDisk = INT64_MAX;
        nodes.push_back(f);
    }
    std::vector<FileNode*> expected = nodes;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const FileNode* a, const FileNode* b) { return a->sizeOnDisk > b->sizeOnDisk; });
    FileNode::sortBySizeOnDisk(nodes);
    EXPECT_EQ(nodes, expected);

    std::vector<FileNode*> equal(nodes.begin(), nodes.begin() + 5000);
    for (FileNode* f : equal)
        f->sizeOnDisk = 4096;
    std::vector<FileNode*> before = equal;
    FileNode::sortBySizeOnDisk(equal);
    EXPECT_EQ(equal, before);
}

// Only the bytes in which sizes differ take a pass, so a long list may take an odd number of them
// (photos under 16 MiB differ in three bytes): the result must still land in the list itself.
TEST(FileNodeSort, LongListsSortWhateverNumberOfBytesDiffer) {
    Arena arena;
    std::mt19937_64 random(7);
    for (int bytes = 1; bytes <= 8; ++bytes) {
        const uint64_t mask = bytes == 8 ? INT64_MAX : (uint64_t(1) << (8 * bytes)) - 1;
        std::vector<FileNode*> nodes;
        for (int i = 0; i < 5000; ++i) {
            FileNode* f = FileNode::make(arena, std::to_string(i), false);
            f->sizeOnDisk = int64_t(random() & mask);
            nodes.push_back(f);
        }
        std::vector<FileNode*> expected = nodes;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const FileNode* a, const FileNode* b) { return a->sizeOnDisk > b->sizeOnDisk; });
        FileNode::sortBySizeOnDisk(nodes);
        EXPECT_EQ(nodes, expected) << bytes << " bytes differ";
    }
}
