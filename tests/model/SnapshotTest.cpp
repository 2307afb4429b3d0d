#include "model/SnapshotStore.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeHold.h"

#include <QDateTime>
#include <QTest>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using Sizes = std::map<std::string, int64_t>;

namespace {

// As another build of Brenwick writes it: slashes escaped, keys in any order, whole seconds since 2001.
constexpr const char* kFixtureSnapshot =
    R"({"folderSizes":{"\/Users\/ann":5200000,"\/Users\/ann\/Music":3100000,"\/Users\/ann\/Movies":1000000},)"
    R"("rootPath":"\/Users\/ann","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","takenAt":735000000.25,"extra":true})";
constexpr const char* kFixtureIndex =
    R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"\/Users\/ann","takenAt":735000000.25,)"
    R"("totalSize":5200000,"folderCount":3}])";

Snapshot makeSnapshot(const std::string& root, double takenAt, Sizes sizes) {
    return Snapshot{QUuid::createUuid(), root, takenAt, std::move(sizes)};
}

class SnapshotStoreTest : public ::testing::Test {
  protected:
    // Lets background work finish and its queued results arrive.
    static void settle(SnapshotStore& store) {
        ASSERT_TRUE(store.waitForBackgroundWork(20000));
        QTest::qWait(50);
    }
    std::vector<Snapshot::Summary> indexOnDisk() const {
        return Snapshot::decodeSummaries(fileText(folder / "index.json"))
            .value_or(std::vector<Snapshot::Summary>{});
    }

    TempDir temp;
    std::string base = temp.str() + "/Brenwick";
    fs::path folder = fs::path(base) / "Snapshots";
    fs::path legacy = fs::path(base) / "Snapshots.json";
};

} // namespace

TEST(SnapshotFormatTest, HandWrittenFilesLoadAndRoundTrip) {
    auto s = Snapshot::decode(kFixtureSnapshot);
    ASSERT_TRUE(s);
    EXPECT_EQ(Snapshot::uuidText(s->id), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_DOUBLE_EQ(s->takenAtUnix(), 735000000.25 + 978307200);
    EXPECT_EQ(Snapshot::decodeSummaries(kFixtureIndex), std::vector<Snapshot::Summary>{s->summary()});
    std::string lower = kFixtureSnapshot; // lower-case UUIDs are read too; written ones are upper case
    lower.replace(lower.find("E621E1F8-C36C"), 13, "e621e1f8-c36c");
    EXPECT_EQ(Snapshot::decode(lower)->id, s->id);

    Snapshot mine =
        makeSnapshot("/data/ünïcode folder", 789012345.123456, {{"/data/ünïcode folder", 9'000'000'000'000}});
    auto j = nlohmann::json::parse(mine.encode());
    EXPECT_EQ(j["id"], QString::fromStdString(Snapshot::uuidText(mine.id)).toUpper().toStdString());
    EXPECT_TRUE(j["folderSizes"]["/data/ünïcode folder"].is_number_integer());
    auto back = Snapshot::decode(mine.encode());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->takenAt, mine.takenAt); // exactly
    EXPECT_EQ(back->folderSizes, mine.folderSizes);
}

TEST(SnapshotFormatTest, RejectsWhatDoesNotDecode) {
    for (const char* key : {"id", "rootPath", "takenAt", "folderSizes"}) {
        auto j = nlohmann::json::parse(kFixtureSnapshot);
        j.erase(key);
        EXPECT_FALSE(Snapshot::decode(j.dump())) << key;
    }
    for (auto [from, to] : {std::pair{"5200000", "5200000.5"}, {"E621E1F8-", "E621E1F8_"}}) {
        std::string text = kFixtureSnapshot;
        EXPECT_FALSE(Snapshot::decode(text.replace(text.find(from), std::string_view(from).size(), to)))
            << to;
    }
    EXPECT_FALSE(Snapshot::decode("[1,2"));
    EXPECT_FALSE(Snapshot::decodeSummaries(R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}])"));
    EXPECT_FALSE(
        Snapshot::decodeList(std::string("[") + kFixtureSnapshot + ",{}]")); // one bad entry fails all
}

// A snapshot file is read as it streams in; the legacy list through a parsed document. Both accept
// and refuse the same things.
TEST(SnapshotFormatTest, StreamedAndParsedReadingsAgree) {
    const std::string head = R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"/r","takenAt":7)";
    auto with = [&](const std::string& rest) { return "{" + head + "," + rest + "}"; };
    const std::string texts[] = {
        kFixtureSnapshot,
        with(R"("folderSizes":{})"),
        with(R"("folderSizes":{"/r/b":2,"/r/a":1,"/r":-3})"),
        with(R"("folderSizes":{"/r":1,"/r":2})"),
        with(R"("folderSizes":{"/a":1},"folderSizes":{"/b":2})"),
        with(R"("folderSizes":{"/a":1},"folderSizes":5)"),
        with(R"("folderSizes":{"/r":5.0,"/s":9223372036854775807})"),
        with(R"("folderSizes":{"/r":5.5})"),
        with(R"("folderSizes":{"/r":"5"})"),
        with(R"("folderSizes":{"/r":null})"),
        with(R"("folderSizes":{"/r":{}})"),
        with(R"("folderSizes":{"/r":[1]})"),
        with(R"("folderSizes":{"/r":1e30})"),
        with(R"("folderSizes":{"/r":9223372036854775808})"),
        with(
            R"("folderSizes":{"/r":1},"extra":{"folderSizes":{"x":"y"},"a":[1,{"b":[]}]},"more":[{"c":{}}])"),
        with(R"("folderSizes":{"/r":1},"id":5)"),
        with(R"("folderSizes":{"/r":1},"takenAt":"now")"),
        with(R"("folderSizes":{"/r":1},"takenAt":12345678901234567890)"),
        with(R"("folderSizes":{"/r":1},"rootPath":["/r"])"),
        with(R"("folderSizes":{"/r":1}} trailing)"),
        with("\"folderSizes\":{\"/r\xE9\":1}"),
        R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"/r","folderSizes":{}})",
        R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"/r","takenAt":1,"folderSizes":{})",
        "[" + with(R"("folderSizes":{})") + "]",
        R"("text")",
        "7",
        "",
    };
    for (const std::string& text : texts) {
        const auto streamed = Snapshot::decode(text);
        const auto parsed = Snapshot::decodeList("[" + text + "]");
        ASSERT_EQ(streamed.has_value(), parsed.has_value() && parsed->size() == 1) << text;
        if (streamed) {
            EXPECT_EQ(streamed->id, parsed->front().id) << text;
            EXPECT_EQ(streamed->rootPath, parsed->front().rootPath) << text;
            EXPECT_EQ(streamed->takenAt, parsed->front().takenAt) << text;
            EXPECT_EQ(streamed->folderSizes, parsed->front().folderSizes) << text;
        }
    }
}

TEST(SnapshotFormatTest, DeltasAndFolderThresholds) {
    Snapshot earlier = makeSnapshot("/r", 0, {{"/r", 10}, {"/r/same", 5}, {"/r/gone", 3}, {"/r/grew", 1}});
    Snapshot later = makeSnapshot("/r", 1, {{"/r", 20}, {"/r/same", 5}, {"/r/new", 4}, {"/r/grew", 9}});
    EXPECT_TRUE(Snapshot::deltas(earlier, earlier).empty());
    EXPECT_EQ(Snapshot::deltas(earlier, later),
              (std::vector<Snapshot::Delta>{
                  {"/r", 10, 20}, {"/r/grew", 1, 9}, {"/r/new", 0, 4}, {"/r/gone", 3, 0}}));
    // Absurd values from a file neither overflow nor crash.
    EXPECT_EQ(Snapshot::deltas(makeSnapshot("/r", 0, {{"/r", INT64_MIN}}),
                               makeSnapshot("/r", 0, {{"/r", INT64_MAX}}))[0]
                  .change(),
              INT64_MAX);

    // Against the plain definition, over folders present in either, both or neither, sizes 0 included.
    std::mt19937 random(3);
    for (int round = 0; round < 50; ++round) {
        Snapshot a = makeSnapshot("/r", 0, {}), b = makeSnapshot("/r", 1, {});
        for (int i = 0; i < 40; ++i) {
            const std::string path = "/r/" + std::to_string(random() % 60);
            (random() % 2 ? a : b).folderSizes[path] = int64_t(random() % 4);
        }
        std::vector<Snapshot::Delta> expected;
        for (const auto& [path, after] : b.folderSizes) {
            const int64_t before = a.folderSizes.count(path) ? a.folderSizes.at(path) : 0;
            if (after != before) expected.push_back({path, before, after});
        }
        for (const auto& [path, before] : a.folderSizes)
            if (!b.folderSizes.count(path)) expected.push_back({path, before, 0});
        auto got = Snapshot::deltas(a, b);
        std::sort(got.begin(), got.end(), [](auto& x, auto& y) { return x.path < y.path; });
        std::sort(expected.begin(), expected.end(), [](auto& x, auto& y) { return x.path < y.path; });
        EXPECT_EQ(got, expected) << round;
    }

    TreeBuilder b("/");
    b.fileAt("exact/f", 1'000'000);
    b.fileAt("exact/inner/f", 0);                  // below the threshold: not recorded
    b.fileAt("small/big-child-folder/f", 999'999); // small folder: not descended into
    b.fileAt("file-only", 5'000'000);
    EXPECT_EQ(SnapshotStore::collectFolderSizes(b.finish()->root()),
              (Sizes{{"/", 6'999'999}, {"/exact", 1'000'000}}));
    TreeBuilder tiny("/home/ann");
    tiny.fileAt("a/f", 10);
    EXPECT_EQ(SnapshotStore::collectFolderSizes(tiny.finish()->root()), (Sizes{{"/home/ann", 10}}));
}

// A walk asked to stop (its store is going) records no folder, not even the one it starts from.
TEST(SnapshotFormatTest, AStoppedWalkRecordsNoFolder) {
    TreeBuilder b("/");
    b.fileAt("exact/f", 1'000'000);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(SnapshotStore::collectFolderSizes(b.finish()->root(), stop.get_token()), Sizes{});
}

TEST_F(SnapshotStoreTest, SaveLoadDelete) {
    TreeBuilder b(temp.str() + "/scan");
    b.fileAt("big/f", 3'000'000);
    auto tree = b.finish();

    SnapshotStore store(base);
    store.save(tree);
    store.save(tree); // already saving: ignored
    settle(store);
    ASSERT_EQ(store.summaries().size(), 1u);
    const auto summary = store.summaries()[0];
    EXPECT_EQ(summary.folderCount, 2);
    EXPECT_EQ(indexOnDisk(), store.summaries());
    // Stored as seconds since the start of 2001 (UTC), as other builds read it.
    const double since2001 = double(QDateTime::currentSecsSinceEpoch() -
                                    QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    EXPECT_NEAR(summary.takenAt, since2001, 60);

    auto load = [&](const QUuid& id) {
        std::optional<std::optional<Snapshot>> answer;
        store.load(id, &store, [&](std::optional<Snapshot> s) { answer = std::move(s); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 20000));
        return answer.value_or(std::nullopt);
    };
    auto loaded = load(summary.id);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->folderSizes.at(temp.str() + "/scan/big"), 3'000'000);
    EXPECT_EQ(loaded->takenAt, summary.takenAt);

    store.remove(summary.id);
    EXPECT_FALSE(fs::exists(folder / (Snapshot::uuidText(summary.id) + ".json")));
    EXPECT_TRUE(indexOnDisk().empty());
    EXPECT_FALSE(load(summary.id));
}

// A save still walking when its store goes (the application quits) stops and writes nothing: neither a
// cut snapshot nor a whole one that no index would list.
TEST_F(SnapshotStoreTest, ASaveWhoseStoreGoesWritesNothing) {
    TreeBuilder b(temp.str() + "/scan");
    b.fileAt("big/f", 3'000'000);
    auto tree = b.finish();
    auto store = std::make_unique<SnapshotStore>(base);
    {
        TreeHold hold(tree); // the save waits for the tree
        store->save(tree);
        // The tree is let go while the store's destructor waits for the save.
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            hold.release();
        });
        store.reset();
        release.join();
    }
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), "index.json") << entry.path();
}

// A snapshot written as the application quits is listed: the store's end completes the index, since
// without the event loop the save's result never comes back; and a snapshot file the index lacks (left by
// a crash) is listed at the next start, where a link named as one is not read.
TEST_F(SnapshotStoreTest, ASnapshotWrittenAtTheQuitIsListed) {
    TreeBuilder b(temp.str() + "/scan");
    b.fileAt("big/f", 3'000'000);
    auto store = std::make_unique<SnapshotStore>(base);
    store->save(b.finish());
    ASSERT_TRUE(store->waitForBackgroundWork(20000));
    store.reset();
    const auto atQuit = indexOnDisk();
    ASSERT_EQ(atQuit.size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(folder / (Snapshot::uuidText(atQuit[0].id) + ".json")));

    Snapshot earlier = makeSnapshot("/a", 100, {{"/a", 1}}), later = makeSnapshot("/b", 1e12, {{"/b", 2}});
    Snapshot linked = makeSnapshot("/c", 300, {{"/c", 3}});
    ASSERT_TRUE(SnapshotStore::writeSnapshot(earlier, folder.string()));
    ASSERT_TRUE(SnapshotStore::writeSnapshot(later, folder.string()));
    ASSERT_TRUE(SnapshotStore::writeSnapshot(linked, temp.str()));
    const std::string linkedName = Snapshot::uuidText(linked.id) + ".json";
    fs::create_symlink(temp.path() / linkedName, folder / linkedName);
    SnapshotStore next(base);
    settle(next);
    EXPECT_EQ(next.summaries(),
              (std::vector<Snapshot::Summary>{earlier.summary(), atQuit[0], later.summary()}));
    EXPECT_EQ(indexOnDisk(), next.summaries());
}

// The comparison runs in the background and keeps only the largest changes, in order.
TEST_F(SnapshotStoreTest, CompareKeepsTheLargestChanges) {
    Snapshot earlier = makeSnapshot("/r", 0, {{"/r", 10}, {"/r/a", 5}, {"/r/b", 7}, {"/r/c", 1}});
    Snapshot later = makeSnapshot("/r", 1, {{"/r", 40}, {"/r/a", 6}, {"/r/b", 0}});
    SnapshotStore store(base);
    for (size_t limit : {size_t(0), size_t(2), size_t(100)}) {
        std::optional<std::vector<Snapshot::Delta>> answer;
        store.compare(earlier, later, limit, &store,
                      [&](std::vector<Snapshot::Delta> d) { answer = std::move(d); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 20000));
        const auto all = Snapshot::deltas(earlier, later);
        EXPECT_EQ(*answer, std::vector<Snapshot::Delta>(all.begin(),
                                                        all.begin() + ptrdiff_t(std::min(limit, all.size()))))
            << limit;
    }
}

// JSON keys are UTF-8: folders whose names differ only in bytes that are not ("caf\xE9", "caf\xE8")
// meet under one key when written. They are one entry holding both sizes, and the index counts the
// entries the file holds, so a comparison with the file agrees with the list.
TEST_F(SnapshotStoreTest, FoldersDifferingOnlyInInvalidBytesShareOneEntryAndLoseNoBytes) {
    const std::string root = temp.str() + "/scan";
    TreeBuilder b(root);
    b.fileAt("caf\xE9/f", 2'000'000);
    b.fileAt("caf\xE9/sub/f", 1'000'000);
    b.fileAt("caf\xE8/f", 3'000'000);
    b.fileAt("caf\xE8/sub/f", 4'000'000);
    b.fileAt("caf\xC3\xA9/f", 1'500'000); // the valid spelling stays apart
    SnapshotStore store(base);
    store.save(b.finish());
    settle(store);
    ASSERT_EQ(store.summaries().size(), 1u);
    const auto summary = store.summaries()[0];
    auto file = SnapshotStore::readSnapshot((folder / (Snapshot::uuidText(summary.id) + ".json")).string());
    ASSERT_TRUE(file);
    const std::string replaced = root + "/caf\xEF\xBF\xBD";
    EXPECT_EQ(file->folderSizes, (Sizes{{root, 11'500'000},
                                        {replaced, 10'000'000},
                                        {replaced + "/sub", 5'000'000},
                                        {root + "/caf\xC3\xA9", 1'500'000}}));
    EXPECT_EQ(file->summary(), summary);
    EXPECT_EQ(indexOnDisk(), store.summaries());

    // Sizes that meet add up without wrapping.
    const Snapshot huge = makeSnapshot("/r", 0, {{"/r/\xE9", INT64_MAX - 1}, {"/r/\xE8", 5}}).written();
    EXPECT_EQ(huge.folderSizes, (Sizes{{"/r/\xEF\xBF\xBD", INT64_MAX}}));
}

TEST_F(SnapshotStoreTest, DamagedIndexIsKeptAndListRebuilt) {
    Snapshot older = makeSnapshot("/a", 100, {{"/a", 1}});
    Snapshot newer = makeSnapshot("/a", 200, {{"/a", 2}});
    fs::create_directories(folder);
    ASSERT_TRUE(SnapshotStore::writeSnapshot(newer, folder.string()));
    ASSERT_TRUE(SnapshotStore::writeSnapshot(older, folder.string()));
    writeFileText(folder / "not-a-snapshot.json", "{}");
    const std::string damaged =
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"/a")"; // cut short
    writeFileText(folder / "index.json", damaged);

    SnapshotStore store(base);
    settle(store);
    EXPECT_EQ(store.summaries(), (std::vector<Snapshot::Summary>{older.summary(), newer.summary()}));
    EXPECT_EQ(indexOnDisk(), store.summaries());
    writeFileText(folder / "index.json", "garbage"); // a second damaged index does not replace the first
    settle(*std::make_unique<SnapshotStore>(base));
    EXPECT_EQ(fileText(folder / "index.json.damaged"), damaged);
    EXPECT_EQ(fileText(folder / "index.json.damaged-2"), "garbage");
}

// Only regular files are read. An index that is a link is kept aside, its target untouched, and the
// list rebuilt; a FIFO in place of a snapshot file reads as damaged at once instead of waiting for a
// writer that never comes.
TEST_F(SnapshotStoreTest, LinksAndFifosAreNeverRead) {
    Snapshot kept = makeSnapshot("/a", 100, {{"/a", 1}});
    Snapshot fifo = makeSnapshot("/b", 200, {{"/b", 2}});
    fs::create_directories(folder);
    ASSERT_TRUE(SnapshotStore::writeSnapshot(kept, folder.string()));
    const std::string elsewhere = Snapshot::encodeSummaries({fifo.summary()});
    writeFileText(temp.path() / "elsewhere.json", elsewhere);
    fs::create_symlink(temp.path() / "elsewhere.json", folder / "index.json");
    const fs::path fifoFile = folder / (Snapshot::uuidText(fifo.id) + ".json");
    ASSERT_EQ(::mkfifo(fifoFile.c_str(), 0600), 0);

    SnapshotStore store(base);
    settle(store);
    EXPECT_EQ(store.summaries(), std::vector<Snapshot::Summary>{kept.summary()});
    EXPECT_TRUE(fs::is_symlink(folder / "index.json.damaged"));
    EXPECT_EQ(fileText(temp.path() / "elsewhere.json"), elsewhere);

    std::optional<std::optional<Snapshot>> answer;
    store.load(fifo.id, &store, [&](std::optional<Snapshot> s) { answer = std::move(s); });
    const bool answered = QTest::qWaitFor([&] { return answer.has_value(); }, 5000);
    if (!answered) { // a reader stuck in open(): a writer that closes at once lets it go
        const int fd = ::open(fifoFile.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(answer.value_or(kept), std::nullopt);
    settle(store);
}

TEST_F(SnapshotStoreTest, LegacyListIsMergedPrunedAndRemovedOnlyWhenAllWasWritten) {
    writeFileText(legacy, "not json"); // unreadable: it stays where it is
    settle(*std::make_unique<SnapshotStore>(base));
    EXPECT_EQ(fileText(legacy), "not json");

    // One snapshot is already listed in the index; the other is pruned of folders below the threshold.
    Snapshot listed = makeSnapshot("/a", 300, {{"/a", 5}});
    Snapshot old = makeSnapshot("/b", 100, {{"/b", 10}, {"/b/big", 2'000'000}, {"/b/small", 999'999}});
    writeFileText(folder / "index.json", Snapshot::encodeSummaries({listed.summary()}));
    writeFileText(legacy, "[" + listed.encode() + "," + old.encode() + "]");
    settle(*std::make_unique<SnapshotStore>(base));
    EXPECT_FALSE(fs::exists(legacy));
    EXPECT_EQ(indexOnDisk().size(), 2u); // the listed one is not listed twice
    auto pruned = SnapshotStore::readSnapshot((folder / (Snapshot::uuidText(old.id) + ".json")).string());
    ASSERT_TRUE(pruned);
    EXPECT_EQ(pruned->folderSizes, (Sizes{{"/b", 10}, {"/b/big", 2'000'000}}));

    // A folder where a snapshot's file should go makes its write fail, even as root: the list stays.
    Snapshot good = makeSnapshot("/c", 400, {{"/c", 1}}), blocked = makeSnapshot("/d", 500, {{"/d", 1}});
    fs::create_directories(folder / (Snapshot::uuidText(blocked.id) + ".json"));
    writeFileText(legacy, "[" + good.encode() + "," + blocked.encode() + "]");
    SnapshotStore store(base);
    settle(store);
    EXPECT_EQ(store.summaries().back().id, good.id);
    EXPECT_TRUE(fs::exists(legacy));
}
