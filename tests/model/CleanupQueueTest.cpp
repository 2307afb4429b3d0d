#include "model/CleanupQueue.h"
#include "tests/support/FakeTrash.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

namespace {

class CleanupQueueTest : public ::testing::Test {
protected:
    std::string at(const std::string& relative) const { return (temp.path() / relative).string(); }
    std::optional<CleanupQueue::TrashResult> trashStaged(CleanupQueue& queue) {
        std::optional<CleanupQueue::TrashResult> result;
        queue.trashStaged([&](const CleanupQueue::TrashResult& r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));
        return result;
    }

    TempDir temp;
    std::shared_ptr<FakeTrash> fake = std::make_shared<FakeTrash>();
};

} // namespace

TEST_F(CleanupQueueTest, StagingKeepsOneItemPerPlaceAndRefusesRelativePaths) {
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
    // A group node's path is its title alone: never staged.
    EXPECT_FALSE(queue.add(tree->categoryGroups(tree->root())->children()[0], "group"));
    // With and without the trailing slash it is one folder; a path repeated in one call is staged once.
    EXPECT_TRUE(queue.contains(at("x/a/")));
    EXPECT_EQ(queue.addAll({{at("x/a/"), 1}, {at("x/d"), 7}, {at("x/d"), 7}, {"x/relative", 9}}, "Quick win"), 1);
    ASSERT_EQ(queue.items().size(), 3u);
    EXPECT_EQ(queue.items()[0].path, at("x/a"));
    EXPECT_EQ(queue.totalSize(), 4096 + 4096 + 7);
    EXPECT_EQ(changes, 3);

    queue.remove(at("x/d/"));
    queue.remove(queue.items()[0].id);
    ASSERT_EQ(queue.items().size(), 1u);
    EXPECT_EQ(queue.items()[0].path, at("x/a/b.mp4"));
}

TEST_F(CleanupQueueTest, FoldersGoFirstAndVanishedItemsCountAsMoved) {
    temp.writeFile("x/a/b", 1);
    temp.writeFile("x/ab", 1);
    temp.writeFile("x/c", 1);
    auto result = CleanupQueue::moveToTrashBlocking(
        {at("x/a/b"), at("x/ab"), at("x/a/"), at("gone"), "relative", at("x/c"), at("x/c")}, *fake);

    // Shortest first: the folder before its file, which goes with it without a call of its own. The
    // second spelling of x/c finds nothing left and counts as moved; so does the missing file.
    EXPECT_EQ(fake->firstCalls(), (Paths{at("x/a"), at("x/c"), at("x/ab")}));
    EXPECT_EQ(result.done, (Paths{at("x/a"), at("x/c"), at("x/c"), at("x/ab"), at("gone"), at("x/a/b")}));
    EXPECT_EQ(result.failed, Paths{"relative"});
    EXPECT_TRUE(fake->secondCalls().empty());
}

TEST_F(CleanupQueueTest, SecondAttemptIsJudgedByExistence) {
    temp.writeFile("x/a/b", 1);
    temp.writeFile("stuck", 1);
    temp.writeFile("later", 1);
    fake->refuseFirst = {at("x/a"), at("x/a/b"), at("later")};
    fake->refuse(at("stuck"));
    auto result = CleanupQueue::moveToTrashBlocking({at("x/a/b"), at("stuck"), at("x/a"), at("later")}, *fake);

    // The folder goes in the second pass; the file inside it is then done without a call.
    EXPECT_EQ(fake->secondCalls(), (Paths{at("x/a"), at("stuck"), at("later")}));
    EXPECT_EQ(result.done, (Paths{at("x/a"), at("x/a/b"), at("later")}));
    EXPECT_EQ(result.failed, Paths{at("stuck")});
}

TEST_F(CleanupQueueTest, TrashStagedRemovesOnlyWhatMoved) {
    for (const char* name : {"one", "two", "three", "staged-later"}) temp.writeFile(name, 1);
    fake->refuse(at("two"));
    fake->hold = true;
    CleanupQueue queue(nullptr, fake);
    EXPECT_TRUE(trashStaged(queue)->done.empty()); // nothing staged: no call, an empty result
    EXPECT_TRUE(fake->firstCalls().empty());

    queue.addAll({{at("one"), 1}, {at("two"), 2}, {at("three"), 3}}, "Staged from Explore");
    const QUuid failedId = queue.items()[1].id;
    std::optional<CleanupQueue::TrashResult> result;
    queue.trashStaged([&](const CleanupQueue::TrashResult& r) { result = r; });
    // Staged while the move runs: must survive it.
    fake->waitUntilEntered();
    queue.addAll({{at("staged-later"), 4}}, "Duplicate");
    fake->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 20000));

    EXPECT_EQ(result->failed, Paths{at("two")});
    ASSERT_EQ(queue.items().size(), 2u);
    EXPECT_EQ(queue.items()[0].id, failedId);
    EXPECT_EQ(queue.items()[1].path, at("staged-later"));
}

TEST_F(CleanupQueueTest, ACallbackWhoseContextWentAwayIsNotCalled) {
    temp.writeFile("f", 1);
    bool called = false;
    auto* context = new QObject;
    CleanupQueue::moveToTrash({at("f")}, context, [&](const CleanupQueue::TrashResult&) { called = true; }, fake);
    delete context;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(at("f")); }, 20000));
    QTest::qWait(100);
    EXPECT_FALSE(called);
}
