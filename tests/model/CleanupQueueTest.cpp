#include "model/CleanupQueue.h"
#include "platform/Trash.h"
#include "tests/support/CoreApp.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace fs = std::filesystem;

namespace {

// Records every call; fails the paths it is told to, moves the others away for real (so existence
// tests see them gone), and can hold the first move until the test lets it go.
class FakeTrash : public platform::TrashBackend {
public:
    std::set<std::string> refuseFirst, refuseSecond;
    std::vector<std::string> firstCalls, secondCalls;
    bool hold = false;

    bool moveToTrash(const std::string& path) override {
        std::unique_lock lock(mutex_);
        firstCalls.push_back(path);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !hold; });
        if (refuseFirst.count(path)) return false;
        return takeAway(path);
    }
    void secondAttempt(const std::string& path) override {
        std::lock_guard lock(mutex_);
        secondCalls.push_back(path);
        if (!refuseSecond.count(path)) takeAway(path);
    }
    void waitUntilEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return entered_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        hold = false;
        changed_.notify_all();
    }

private:
    static bool takeAway(const std::string& path) {
        std::error_code ec;
        return fs::remove_all(path, ec) > 0 && !ec;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
};

class CleanupQueueTest : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }
    TempDir temp;
    std::shared_ptr<FakeTrash> fake = std::make_shared<FakeTrash>();
    std::string at(const std::string& relative) const { return (temp.path() / relative).string(); }
};

} // namespace

TEST_F(CleanupQueueTest, StagingKeepsOneItemPerPlace) {
    TreeBuilder builder(temp.str());
    FileNode* folder = builder.folderAt("x/a");
    FileNode* file = builder.fileAt("x/a/b.mp4", 4096);
    builder.fileAt("x/c.txt", 100);
    auto tree = builder.finish();
    const FileNode* groups = tree->categoryGroups(tree->root());

    CleanupQueue queue(nullptr, fake);
    int changes = 0;
    QObject::connect(&queue, &CleanupQueue::itemsChanged, [&] { ++changes; });

    EXPECT_TRUE(queue.add(folder, "Staged from Explore"));
    EXPECT_FALSE(queue.add(folder, "again"));
    EXPECT_TRUE(queue.add(file, "Duplicate"));
    // A group node's path is its title alone: never staged.
    EXPECT_FALSE(queue.add(groups->children()[0], "group"));
    // With and without the trailing slash it is one folder.
    EXPECT_TRUE(queue.contains(at("x/a/")));
    EXPECT_EQ(queue.addAll({{at("x/a/"), 1}, {at("x/d"), 7}, {at("x/d"), 7}, {"x/relative", 9}}, "Quick win"), 1);
    ASSERT_EQ(queue.items().size(), 3u);
    EXPECT_EQ(queue.items()[0].path, at("x/a"));
    EXPECT_EQ(queue.items()[0].size, 4096);
    EXPECT_EQ(queue.items()[2].reason, "Quick win");
    EXPECT_EQ(queue.totalSize(), 4096 + 4096 + 7);
    EXPECT_EQ(changes, 3);

    queue.remove(at("x/d/"));
    queue.remove(queue.items()[0].id);
    ASSERT_EQ(queue.items().size(), 1u);
    EXPECT_EQ(queue.items()[0].path, at("x/a/b.mp4"));
    queue.remove(at("x/a/b.mp4"));
    EXPECT_EQ(queue.totalSize(), 0);
}

TEST_F(CleanupQueueTest, FirstPassOrderFoldersAndVanishedItems) {
    temp.writeFile("x/a/b", 1);
    temp.writeFile("x/ab", 1);
    temp.writeFile("x/c", 1);
    auto result = CleanupQueue::moveToTrashBlocking(
        {at("x/a/b"), at("x/ab"), at("x/a/"), at("gone"), "relative", at("x/c"), at("x/c")}, *fake);

    // Shortest first: the folder before its file; the file goes with it, without a call of its own.
    // The second spelling of x/c finds nothing left and counts as moved; so does the missing file.
    EXPECT_EQ(fake->firstCalls, (std::vector<std::string>{at("x/a"), at("x/c"), at("x/ab")}));
    EXPECT_EQ(result.done, (std::vector<std::string>{at("x/a"), at("x/c"), at("x/c"), at("x/ab"), at("gone"),
                                                     at("x/a/b")}));
    EXPECT_EQ(result.failed, std::vector<std::string>{"relative"});
    EXPECT_TRUE(fake->secondCalls.empty());
}

TEST_F(CleanupQueueTest, SecondAttemptDecidesByExistence) {
    temp.writeFile("x/a/b", 1);
    temp.writeFile("stuck", 1);
    temp.writeFile("later", 1);
    fake->refuseFirst = {at("x/a"), at("x/a/b"), at("stuck"), at("later")};
    fake->refuseSecond = {at("stuck")};
    auto result = CleanupQueue::moveToTrashBlocking({at("x/a/b"), at("stuck"), at("x/a"), at("later")}, *fake);

    // The folder is recycled in the second pass; the file inside it is then done without a call.
    EXPECT_EQ(fake->secondCalls, (std::vector<std::string>{at("x/a"), at("stuck"), at("later")}));
    EXPECT_EQ(result.done, (std::vector<std::string>{at("x/a"), at("x/a/b"), at("later")}));
    EXPECT_EQ(result.failed, std::vector<std::string>{at("stuck")});
    EXPECT_TRUE(fs::exists(at("stuck")));
}

TEST_F(CleanupQueueTest, TrashStagedRemovesOnlyWhatMoved) {
    temp.writeFile("one", 1);
    temp.writeFile("two", 1);
    temp.writeFile("three", 1);
    temp.writeFile("staged-later", 1);
    fake->refuseFirst = fake->refuseSecond = {at("two")};
    fake->hold = true;

    CleanupQueue queue(nullptr, fake);
    queue.addAll({{at("one"), 1}, {at("two"), 2}, {at("three"), 3}}, "Staged from Explore");
    const QUuid failedId = queue.items()[1].id;
    std::optional<CleanupQueue::TrashResult> result;
    queue.trashStaged([&](const CleanupQueue::TrashResult& r) { result = r; });

    // Staged while the move runs: must survive it.
    fake->waitUntilEntered();
    queue.addAll({{at("staged-later"), 4}}, "Duplicate");
    fake->release();
    ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); }));

    EXPECT_EQ(result->failed, std::vector<std::string>{at("two")});
    EXPECT_EQ(result->done.size(), 2u);
    ASSERT_EQ(queue.items().size(), 2u);
    EXPECT_EQ(queue.items()[0].id, failedId);
    EXPECT_EQ(queue.items()[0].reason, "Staged from Explore");
    EXPECT_EQ(queue.items()[1].path, at("staged-later"));
}

TEST_F(CleanupQueueTest, EmptyQueueMakesNoCallAndCallbackSkipsDeadContext) {
    CleanupQueue queue(nullptr, fake);
    std::optional<CleanupQueue::TrashResult> result;
    queue.trashStaged([&](const CleanupQueue::TrashResult& r) { result = r; });
    ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->done.empty());
    EXPECT_TRUE(result->failed.empty());
    EXPECT_TRUE(fake->firstCalls.empty());

    // A receiver that went away is not called.
    temp.writeFile("f", 1);
    bool called = false;
    auto* context = new QObject;
    CleanupQueue::moveToTrash({at("f")}, context, [&](const CleanupQueue::TrashResult&) { called = true; }, fake);
    delete context;
    processEventsUntil([&] { return !fs::exists(at("f")); });
    processEventsUntil([] { return false; }, 100);
    EXPECT_FALSE(called);
}

TEST_F(CleanupQueueTest, RealTrashEndToEnd) {
    ScopedUserFolders user(temp.str());
    fs::path file = temp.writeFile("work/old.log", 10);
    CleanupQueue queue;
    queue.addAll({{file.string(), 10}, {temp.str() + "/work/missing", 0}}, "Caches & logs");
    std::optional<CleanupQueue::TrashResult> result;
    queue.trashStaged([&](const CleanupQueue::TrashResult& r) { result = r; });
    ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->done.size(), 2u);
    EXPECT_TRUE(queue.items().empty());
    EXPECT_TRUE(fs::exists(fs::path(user.dataHome()) / "Trash/files/old.log"));
    EXPECT_TRUE(fs::exists(fs::path(user.dataHome()) / "Trash/info/old.log.trashinfo"));
    EXPECT_FALSE(fs::exists(file));
}
