#include "model/CleanupQueue.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/FakeTrash.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using Paths = std::vector<std::string>;

namespace {

class CleanupQueueTest : public ::testing::Test {
  protected:
    std::string at(const std::string& relative) const { return (temp.path() / relative).string(); }

    TempDir temp;
    std::shared_ptr<FakeTrash> fake = std::make_shared<FakeTrash>();
};

} // namespace

TEST_F(CleanupQueueTest, StagingKeepsOneItemPerPlaceAndRefusesRelativePathsAndGroups) {
    TreeBuilder builder(temp.str());
    FileNode* folder = builder.folderAt("x/a");
    FileNode* file = builder.fileAt("x/a/b.mp4", 4096);
    auto tree = builder.finish();
    CleanupQueue queue(nullptr, fake);
    int changes = 0;
    QObject::connect(&queue, &CleanupQueue::itemsChanged, [&] { ++changes; });

    EXPECT_TRUE(queue.add(folder, "Staged from Explore"));
    EXPECT_FALSE(queue.add(folder, "again"));
    EXPECT_TRUE(queue.add(file, "Duplicate"));
    EXPECT_FALSE(
        queue.add(tree->categoryGroups(tree->root())->children()[0], "group")); // its path is a title
    // With and without the trailing slash it is one folder; a path repeated in one call is staged once.
    // The batch is one change, however many it stages.
    EXPECT_EQ(
        queue.addAll({{at("x/a/"), 1}, {at("x/d"), 7}, {at("x/d"), 7}, {"x/relative", 9}, {at("x/e"), 2}},
                     "Quick win"),
        2);
    EXPECT_EQ(queue.totalSize(), 4096 + 4096 + 7 + 2);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(queue.addAll({{at("x/d"), 7}}, "again"), 0);
    EXPECT_EQ(changes, 3);
    queue.remove(at("x/d/"));
    queue.remove(queue.items()[0].id);
    EXPECT_EQ(queue.totalSize(), 4096 + 2);
    // What was taken out may be staged again, by either way of taking it out.
    EXPECT_FALSE(queue.contains(at("x/d")));
    EXPECT_FALSE(queue.contains(at("x/a")));
    EXPECT_EQ(queue.addAll({{at("x/d"), 7}, {at("x/a"), 1}}, "again"), 2);
    queue.remove(at("x/d"));
    queue.remove(queue.items().back().id);
    EXPECT_EQ(queue.totalSize(), 4096 + 2);
    queue.addAll({{at("sparse-1"), INT64_MAX}, {at("sparse-2"), INT64_MAX}}, "Duplicate");
    EXPECT_EQ(queue.totalSize(), INT64_MAX); // sizes of sparse files do not wrap
}

// Keeping one copy of a group whose other copies are all staged stages nothing and only unstages the kept
// one: a change of the queue all the same, which the screens showing it must hear of.
TEST_F(CleanupQueueTest, KeepingOneCopyOfAStagedGroupIsAnnounced) {
    TreeBuilder builder(temp.str());
    const std::vector<FileNode*> copies = {builder.fileAt("a/copy.mp4", 10), builder.fileAt("b/copy.mp4", 10),
                                           builder.fileAt("c/copy.mp4", 10)};
    auto tree = builder.finish();
    CleanupQueue queue(nullptr, fake);
    ASSERT_EQ(queue.addNodes(copies, "Duplicate"), 3);
    int changes = 0;
    QObject::connect(&queue, &CleanupQueue::itemsChanged, [&] { ++changes; });

    EXPECT_EQ(queue.addNodes(copies, "Duplicate", copies[1]), 0);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(queue.contains(copies[1]->path()));
    EXPECT_EQ(queue.items().size(), 2u);
}

TEST_F(CleanupQueueTest, FoldersGoFirstVanishedItemsCountAsMovedAndSecondAttemptsAreJudgedByExistence) {
    for (const char* name : {"x/a/b", "x/ab", "x/c", "y/d/e", "stuck", "later"})
        temp.writeFile(name, 1);
    auto result = CleanupQueue::moveToTrashBlocking(
        {at("x/a/b"), at("x/ab"), at("x/a/"), at("gone"), "relative", at("x/c"), at("x/c")}, *fake);
    // Shortest first: the folder before its file, which goes with it without a call of its own. The
    // second spelling of x/c finds nothing left and counts as moved; so does the missing file.
    EXPECT_EQ(fake->calls(), (Paths{at("x/a"), at("x/c"), at("x/ab")}));
    EXPECT_EQ(result.done, (Paths{at("x/a"), at("x/c"), at("x/c"), at("x/ab"), at("gone"), at("x/a/b")}));
    EXPECT_EQ(result.failed, Paths{"relative"});
    EXPECT_TRUE(fake->calls(true).empty());

    fake->refuseFirst = {at("y/d"), at("y/d/e"), at("later")};
    fake->refuse(at("stuck"));
    result = CleanupQueue::moveToTrashBlocking({at("y/d/e"), at("stuck"), at("y/d"), at("later")}, *fake);
    // The folder goes in the second pass; the file inside it is then done without a call.
    EXPECT_EQ(fake->calls(true), (Paths{at("y/d"), at("stuck"), at("later")}));
    EXPECT_EQ(result.done, (Paths{at("y/d"), at("y/d/e"), at("later")}));
    EXPECT_EQ(result.failed, Paths{at("stuck")});
}

// Moving something that is in the Trash "to the Trash" would only move it within the Trash, and its
// record would no longer lead back to where it came from: staging refuses it, saying why, and so
// does a move, even through a link to the Trash folder.
TEST_F(CleanupQueueTest, ItemsInTheTrashAreRefusedWithAReason) {
    ScopedUserFolders user(temp.str());
    const std::string trash = user.dataHome() + "/Trash";
    temp.writeFile("home/.local/share/Trash/files/old.mp4", 1);
    temp.writeFile("home/.local/share/Trash/info/old.mp4.trashinfo", 1);
    temp.writeFile("keep/new.mp4", 1);
    std::filesystem::create_directory_symlink(trash + "/files", at("alias"));
    TreeBuilder builder(user.dataHome());
    FileNode* inTrash = builder.fileAt("Trash/files/old.mp4", 10);
    auto tree = builder.finish();
    CleanupQueue queue(nullptr, fake);
    int changes = 0;
    QObject::connect(&queue, &CleanupQueue::refusalsChanged, [&] { ++changes; });

    EXPECT_FALSE(queue.add(inTrash, "Staged from Explore"));
    EXPECT_EQ(queue.addAll({{trash, 1}, {trash + "/info/", 2}, {at("keep/new.mp4"), 3}}, "Duplicate"), 1);
    EXPECT_EQ(queue.items().size(), 1u);
    const std::vector<CleanupQueue::Refusal> refused{
        {trash + "/files/old.mp4", "It is already in the Trash."},
        {trash, "It is a Trash folder."},
        {trash + "/info", "It is already in the Trash."}};
    EXPECT_EQ(queue.refusals(), refused);
    EXPECT_EQ(changes, 2); // one for the single item, one for the batch
    // A path refused twice in one batch, or again later, is listed once, where it was refused last.
    queue.addAll({{trash, 1}, {trash + "/files/old.mp4", 1}, {trash, 1}}, "Duplicate");
    queue.add(inTrash, "Staged from Explore");
    EXPECT_EQ(queue.refusals(), (std::vector<CleanupQueue::Refusal>{refused[2], refused[1], refused[0]}));
    queue.clear();
    EXPECT_TRUE(queue.refusals().empty());

    auto result = CleanupQueue::moveToTrashBlocking(
        {at("alias/old.mp4"), trash + "/files/old.mp4", at("keep/new.mp4")}, *fake);
    EXPECT_EQ(fake->calls(), Paths{at("keep/new.mp4")}); // nothing in the Trash was touched
    EXPECT_EQ(result.done, Paths{at("keep/new.mp4")});
    EXPECT_EQ(result.failed, (Paths{at("alias/old.mp4"), trash + "/files/old.mp4"}));
    ASSERT_EQ(result.refused.size(), 2u);
    EXPECT_EQ(result.refused[0].reason, "It is already in the Trash.");
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/old.mp4"));
}

TEST_F(CleanupQueueTest, ItemsStagedWhileAMoveRunsSurviveIt) {
    for (const char* name : {"one", "two", "staged-later"})
        temp.writeFile(name, 1);
    fake->refuse(at("two"));
    fake->hold = true;
    CleanupQueue queue(nullptr, fake);
    queue.addAll({{at("one"), 1}, {at("two"), 2}}, "Staged from Explore");
    std::optional<CleanupQueue::TrashResult> result;
    queue.trashStaged([&](const CleanupQueue::TrashResult& r) { result = r; });
    fake->waitUntilEntered();
    queue.addAll({{at("staged-later"), 4}}, "Duplicate");
    fake->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));
    ASSERT_EQ(queue.items().size(), 2u);
    EXPECT_EQ(queue.items()[0].path, at("two"));
    EXPECT_EQ(queue.items()[1].path, at("staged-later"));
    // What was moved is no longer staged: should it come back, it may be staged again.
    EXPECT_FALSE(queue.contains(at("one")));
    EXPECT_EQ(queue.addAll({{at("one"), 1}, {at("two"), 2}}, "Duplicate"), 1);
}

TEST_F(CleanupQueueTest, ACallbackWhoseContextWentAwayIsNotCalled) {
    temp.writeFile("f", 1);
    bool called = false;
    auto* context = new QObject;
    CleanupQueue::moveToTrash(
        {at("f")}, context, [&](const CleanupQueue::TrashResult&) { called = true; }, fake);
    delete context;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !std::filesystem::exists(at("f")); }, 20000));
    QTest::qWait(100);
    EXPECT_FALSE(called);
}
