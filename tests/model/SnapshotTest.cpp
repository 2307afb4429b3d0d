#include "model/SnapshotStore.h"
#include "tests/support/CoreApp.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// As another build of Brenwick writes it: slashes escaped, keys in any order, whole seconds since 2001.
constexpr const char* kFixtureSnapshot =
    R"({"folderSizes":{"\/Users\/ann":5200000,"\/Users\/ann\/Music":3100000,"\/Users\/ann\/Movies":1000000},)"
    R"("rootPath":"\/Users\/ann","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","takenAt":735000000.25,"extra":true})";
constexpr const char* kFixtureIndex =
    R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"\/Users\/ann","takenAt":735000000.25,)"
    R"("totalSize":5200000,"folderCount":3}])";

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

Snapshot makeSnapshot(const std::string& root, double takenAt, std::map<std::string, int64_t> sizes) {
    Snapshot s;
    s.id = QUuid::createUuid();
    s.rootPath = root;
    s.takenAt = takenAt;
    s.folderSizes = std::move(sizes);
    return s;
}

class SnapshotStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }
    TempDir temp;
    std::string base = temp.str() + "/Brenwick";
    fs::path folder = fs::path(base) / "Snapshots";

    // Lets background work finish and its queued results arrive.
    static void settle(SnapshotStore& store) {
        ASSERT_TRUE(store.waitForBackgroundWork(20000));
        processEventsUntil([] { return false; }, 50);
    }
};

} // namespace

TEST(SnapshotFormatTest, HandWrittenFilesLoad) {
    auto s = Snapshot::decode(kFixtureSnapshot);
    ASSERT_TRUE(s);
    EXPECT_EQ(Snapshot::uuidText(s->id), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(s->rootPath, "/Users/ann");
    EXPECT_DOUBLE_EQ(s->takenAt, 735000000.25);
    EXPECT_DOUBLE_EQ(s->takenAtUnix(), 735000000.25 + 978307200);
    EXPECT_EQ(s->folderSizes.at("/Users/ann/Music"), 3100000);
    EXPECT_EQ(s->summary(), (Snapshot::Summary{s->id, "/Users/ann", 735000000.25, 5200000, 3}));

    auto index = Snapshot::decodeSummaries(kFixtureIndex);
    ASSERT_TRUE(index);
    ASSERT_EQ(index->size(), 1u);
    EXPECT_EQ((*index)[0], s->summary());

    // Lower-case UUIDs are read too; written ones are upper case.
    std::string lower = kFixtureSnapshot;
    lower.replace(lower.find("E621E1F8-C36C"), 13, "e621e1f8-c36c");
    EXPECT_EQ(Snapshot::decode(lower)->id, s->id);
}

TEST(SnapshotFormatTest, RoundTripKeepsTypesAndSpelling) {
    Snapshot s = makeSnapshot("/data/ünïcode folder", 789012345.123456, {{"/data/ünïcode folder", 9'000'000'000'000}});
    std::string text = s.encode();
    auto j = nlohmann::json::parse(text);
    EXPECT_EQ(j["id"], Snapshot::uuidText(s.id));
    EXPECT_EQ(j["id"].get<std::string>(), QString::fromStdString(j["id"].get<std::string>()).toUpper().toStdString());
    EXPECT_TRUE(j["folderSizes"]["/data/ünïcode folder"].is_number_integer());
    EXPECT_TRUE(j["takenAt"].is_number());
    EXPECT_EQ(text.find('\n'), std::string::npos); // compact
    auto back = Snapshot::decode(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->id, s.id);
    EXPECT_EQ(back->takenAt, s.takenAt); // exactly
    EXPECT_EQ(back->folderSizes, s.folderSizes);

    std::vector<Snapshot::Summary> list{s.summary(), makeSnapshot("/", 1, {}).summary()};
    EXPECT_EQ(Snapshot::decodeSummaries(Snapshot::encodeSummaries(list)), list);
}

TEST(SnapshotFormatTest, RejectsWhatDoesNotDecode) {
    auto without = [](const char* key) {
        auto j = nlohmann::json::parse(kFixtureSnapshot);
        j.erase(key);
        return j.dump();
    };
    for (const char* key : {"id", "rootPath", "takenAt", "folderSizes"}) EXPECT_FALSE(Snapshot::decode(without(key))) << key;
    std::string fractional = kFixtureSnapshot;
    fractional.replace(fractional.find("5200000"), 7, "5200000.5");
    EXPECT_FALSE(Snapshot::decode(fractional));
    std::string badId = kFixtureSnapshot;
    badId.replace(badId.find("E621E1F8-"), 9, "E621E1F8_");
    EXPECT_FALSE(Snapshot::decode(badId));
    EXPECT_FALSE(Snapshot::decode("[1,2"));
    EXPECT_FALSE(Snapshot::decodeSummaries(R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}])"));
    EXPECT_FALSE(Snapshot::decodeList(std::string("[") + kFixtureSnapshot + ",{}]")); // one bad entry fails all
}

TEST(SnapshotFormatTest, Deltas) {
    Snapshot earlier = makeSnapshot("/r", 0, {{"/r", 10}, {"/r/same", 5}, {"/r/gone", 3}, {"/r/grew", 1}});
    Snapshot later = makeSnapshot("/r", 1, {{"/r", 20}, {"/r/same", 5}, {"/r/new", 4}, {"/r/grew", 9}});
    EXPECT_TRUE(Snapshot::deltas(earlier, earlier).empty());
    auto d = Snapshot::deltas(earlier, later);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0], (Snapshot::Delta{"/r", 10, 20}));
    EXPECT_EQ(d[1], (Snapshot::Delta{"/r/grew", 1, 9}));
    EXPECT_EQ(d[2], (Snapshot::Delta{"/r/new", 0, 4}));
    EXPECT_EQ(d[3], (Snapshot::Delta{"/r/gone", 3, 0}));
    EXPECT_EQ(d[3].change(), -3);
    // Absurd values from a file neither overflow nor crash.
    Snapshot wild = makeSnapshot("/r", 0, {{"/r", INT64_MIN}});
    Snapshot wilder = makeSnapshot("/r", 0, {{"/r", INT64_MAX}});
    EXPECT_EQ(Snapshot::deltas(wild, wilder)[0].change(), INT64_MAX);
}

TEST(SnapshotFormatTest, FolderThresholds) {
    TreeBuilder b("/");
    b.fileAt("exact/f", 1'000'000);
    b.fileAt("exact/inner/f", 0); // below the threshold: not recorded
    b.fileAt("small/big-child-folder/f", 999'999); // small folder: not descended into
    b.fileAt("file-only", 5'000'000);
    auto tree = b.finish();
    auto sizes = SnapshotStore::collectFolderSizes(tree->root());
    EXPECT_EQ(sizes, (std::map<std::string, int64_t>{{"/", 6'999'999}, {"/exact", 1'000'000}}));

    TreeBuilder tiny("/home/ann");
    tiny.fileAt("a/f", 10);
    EXPECT_EQ(SnapshotStore::collectFolderSizes(tiny.finish()->root()),
              (std::map<std::string, int64_t>{{"/home/ann", 10}}));
}

TEST_F(SnapshotStoreTest, SaveLoadDelete) {
    TreeBuilder b(temp.str() + "/scan");
    b.fileAt("big/f", 3'000'000);
    auto tree = b.finish();

    SnapshotStore store(base);
    EXPECT_TRUE(fs::is_directory(folder));
    store.save(tree);
    store.save(tree); // already saving: ignored
    EXPECT_TRUE(store.isSaving());
    settle(store);
    EXPECT_FALSE(store.isSaving());
    ASSERT_EQ(store.summaries().size(), 1u);
    const auto summary = store.summaries()[0];
    EXPECT_EQ(summary.totalSize, 3'000'000);
    EXPECT_EQ(summary.folderCount, 2);
    fs::path file = folder / (Snapshot::uuidText(summary.id) + ".json");
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(Snapshot::decodeSummaries(slurp(folder / "index.json")), store.summaries());

    store.save(tree);
    settle(store);
    ASSERT_EQ(store.summaries().size(), 2u);
    EXPECT_EQ(store.summaries()[0], summary); // appended last

    std::optional<Snapshot> loaded;
    bool answered = false;
    store.load(summary.id, &store, [&](std::optional<Snapshot> s) {
        loaded = std::move(s);
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->folderSizes.at(temp.str() + "/scan/big"), 3'000'000);

    std::vector<Snapshot::Delta> deltas{{"x", 1, 2}};
    answered = false;
    store.compare(*loaded, *loaded, &store, [&](std::vector<Snapshot::Delta> d) {
        deltas = std::move(d);
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    EXPECT_TRUE(deltas.empty());

    store.remove(summary.id);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(store.summaries().size(), 1u);
    store.remove(QUuid::createUuid()); // not listed: index rewritten unchanged
    EXPECT_EQ(Snapshot::decodeSummaries(slurp(folder / "index.json")), store.summaries());

    answered = false;
    store.load(summary.id, &store, [&](std::optional<Snapshot> s) {
        loaded = std::move(s);
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    EXPECT_FALSE(loaded);
}

TEST_F(SnapshotStoreTest, ExistingIndexLoadsInFileOrder) {
    write(folder / "index.json", kFixtureIndex);
    SnapshotStore store(base);
    ASSERT_EQ(store.summaries().size(), 1u);
    EXPECT_EQ(store.summaries()[0].rootPath, "/Users/ann");
}

TEST_F(SnapshotStoreTest, DamagedIndexIsKeptAndListRebuilt) {
    Snapshot older = makeSnapshot("/a", 100, {{"/a", 1}});
    Snapshot newer = makeSnapshot("/a", 200, {{"/a", 2}});
    fs::create_directories(folder);
    ASSERT_TRUE(SnapshotStore::writeSnapshot(newer, folder.string()));
    ASSERT_TRUE(SnapshotStore::writeSnapshot(older, folder.string()));
    write(folder / "not-a-snapshot.json", "{}");
    const std::string damaged = R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","rootPath":"/a")"; // cut short
    write(folder / "index.json", damaged);

    SnapshotStore store(base);
    settle(store);
    EXPECT_EQ(slurp(folder / "index.json.damaged"), damaged); // preserved, not written over
    ASSERT_EQ(store.summaries().size(), 2u);
    EXPECT_EQ(store.summaries()[0], older.summary());
    EXPECT_EQ(store.summaries()[1], newer.summary());
    EXPECT_EQ(Snapshot::decodeSummaries(slurp(folder / "index.json")), store.summaries());

    // A second damaged index does not replace the first one kept aside.
    write(folder / "index.json", "garbage");
    SnapshotStore again(base);
    settle(again);
    EXPECT_EQ(slurp(folder / "index.json.damaged"), damaged);
    EXPECT_EQ(slurp(folder / "index.json.damaged-2"), "garbage");
    EXPECT_EQ(again.summaries().size(), 2u);
}

TEST_F(SnapshotStoreTest, LegacyListIsMergedPrunedAndRemoved) {
    Snapshot listed = makeSnapshot("/a", 300, {{"/a", 5}});
    fs::create_directories(folder);
    write(folder / "index.json", Snapshot::encodeSummaries({listed.summary()}));
    Snapshot old = makeSnapshot("/b", 100, {{"/b", 10}, {"/b/big", 2'000'000}, {"/b/small", 999'999}});
    std::string legacy = "[" + listed.encode() + "," + old.encode() + "]";
    write(fs::path(base) / "Snapshots.json", legacy);

    SnapshotStore store(base);
    settle(store);
    EXPECT_FALSE(fs::exists(fs::path(base) / "Snapshots.json"));
    ASSERT_EQ(store.summaries().size(), 2u); // the listed one is not listed twice
    EXPECT_EQ(store.summaries()[0].id, old.id); // sorted by takenAt
    EXPECT_EQ(store.summaries()[0].folderCount, 2);
    auto pruned = SnapshotStore::readSnapshot((folder / (Snapshot::uuidText(old.id) + ".json")).string());
    ASSERT_TRUE(pruned);
    EXPECT_EQ(pruned->folderSizes, (std::map<std::string, int64_t>{{"/b", 10}, {"/b/big", 2'000'000}}));
}

TEST_F(SnapshotStoreTest, LegacyListStaysUnlessEverySnapshotWasWritten) {
    write(fs::path(base) / "Snapshots.json", "not json");
    {
        SnapshotStore store(base);
        settle(store);
        EXPECT_TRUE(store.summaries().empty());
    }
    EXPECT_EQ(slurp(fs::path(base) / "Snapshots.json"), "not json");

    Snapshot good = makeSnapshot("/g", 1, {{"/g", 1}});
    Snapshot blocked = makeSnapshot("/b", 2, {{"/b", 1}});
    // A folder where the snapshot's file should go makes its write fail, even as root.
    fs::create_directories(folder / (Snapshot::uuidText(blocked.id) + ".json"));
    write(fs::path(base) / "Snapshots.json", "[" + good.encode() + "," + blocked.encode() + "]");
    SnapshotStore store(base);
    settle(store);
    ASSERT_EQ(store.summaries().size(), 1u);
    EXPECT_EQ(store.summaries()[0].id, good.id);
    EXPECT_TRUE(fs::exists(fs::path(base) / "Snapshots.json"));
}

TEST_F(SnapshotStoreTest, DefaultFolderFollowsXdgDataHome) {
    ScopedUserFolders user(temp.str());
    SnapshotStore store;
    EXPECT_EQ(store.directory(), user.dataHome() + "/Brenwick/Snapshots");
    EXPECT_TRUE(fs::is_directory(store.directory()));
}
