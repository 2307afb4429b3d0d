#include "model/AgeReport.h"
#include "model/FolderReports.h"
#include "model/Rankings.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeChecks.h"

#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <random>
#include <tuple>

namespace {

constexpr double kDay = 86400;
constexpr double kNow = 1'700'000'000; // 2023-11-14 UTC

// Local time zone for one test.
struct ZoneOverride {
    explicit ZoneOverride(const char* zone) {
        env.set("TZ", zone);
        tzset();
    }
    EnvOverride env;
};

} // namespace

TEST(AgeReportTest, BucketsAndUntouchedBoundaries) {
    ZoneOverride zone("UTC");
    TreeBuilder b("/r");
    const std::tuple<const char*, int64_t, double> files[] = {
        {"d7", 1, kNow - 7 * kDay},
        {"d6", 2, kNow - 6.99 * kDay},
        {"d365", 4, kNow - 365 * kDay},
        {"d730", 8, kNow - 730 * kDay},
        {"future", 16, kNow + 100 * kDay},
        {"unknown", 32, 0},
        {"old-1985", 64, 489'000'000},
        {"untouched", 40'000'000, kNow - 365 * kDay},
        {"too-small", 39'999'999, kNow - 400 * kDay},
        {"too-young", 50'000'000, kNow - 364.9 * kDay},
        {"bigger-untouched", 60'000'000, kNow - 1000 * kDay},
        {"empty", 0, 1'000'000'000}, // 2001-09-09: its year shows, with nothing in it
    };
    for (const auto& [name, size, modified] : files)
        b.fileAt(name, size, modified);
    auto tree = b.finish();
    AgeReport r = AgeReport::compute(tree->root(), kNow);

    EXPECT_EQ(r.buckets[0], 2 + 16);
    EXPECT_EQ(r.buckets[1], 1);
    EXPECT_EQ(r.buckets[3], 50'000'000);
    EXPECT_EQ(r.buckets[4], 4 + 40'000'000 + 39'999'999);
    EXPECT_EQ(r.buckets[5], 8 + 64 + 60'000'000);
    EXPECT_EQ(r.total,
              r.buckets[0] + r.buckets[1] + r.buckets[2] + r.buckets[3] + r.buckets[4] + r.buckets[5]);
    ASSERT_EQ(r.untouched.size(), 2u);
    EXPECT_EQ(r.untouched[0]->name(), "bigger-untouched"); // largest first
    EXPECT_EQ(r.untouchedTotal, 100'000'000);
    EXPECT_EQ(r.months.at(2024)[1], 16); // the future file: 2024-02-22
    EXPECT_EQ(r.months.at(2001), (std::array<int64_t, 12>{}));
}

// Files in a Trash folder count by age like any other, but are never listed as big and untouched:
// they cannot be offered for cleanup. The folder reports judge by the tree's own Trash folders.
TEST(AgeReportTest, UntouchedFilesLeaveTheTrashOut) {
    ZoneOverride zone("UTC");
    TreeBuilder b("/home/ann");
    b.fileAt("Videos/old.mkv", 50'000'000, kNow - 800 * kDay);
    b.fileAt(".local/share/Trash/files/older.mkv", 90'000'000, kNow - 900 * kDay);
    b.fileAt(".local/share/Trash/files/clip/part.mkv", 45'000'000, kNow - 400 * kDay);
    b.fileAt(".local/share/Trashcan/kept.mkv", 41'000'000, kNow - 500 * kDay); // only looks like one
    auto tree = b.finish();
    tree->setTrashFolders(platform::TrashFolders("/home/ann/.local/share/Trash", {"/"}, 1000));

    const AgeReport r = AgeReport::compute(tree->root(), kNow, tree->trashFolders());
    EXPECT_EQ(r.total, 226'000'000);
    EXPECT_EQ(r.buckets[4], 45'000'000 + 41'000'000);
    EXPECT_EQ(r.buckets[5], 50'000'000 + 90'000'000);
    ASSERT_EQ(r.untouched.size(), 2u);
    EXPECT_EQ(r.untouched[0]->name(), "old.mkv");
    EXPECT_EQ(r.untouched[1]->name(), "kept.mkv");
    EXPECT_EQ(r.untouchedTotal, 91'000'000);
    const FileNode* trash = findNode(tree->root(), ".local/share/Trash");
    EXPECT_TRUE(AgeReport::compute(trash, kNow, tree->trashFolders()).untouched.empty());
    EXPECT_EQ(AgeReport::compute(trash, kNow, tree->trashFolders()).total, 135'000'000);

    QThreadPool pool;
    FolderReports reports(pool);
    reports.requestAgeReport(tree, tree->root());
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.ageReport(tree->root()) != nullptr; }, 30000));
    std::vector<std::string> listed;
    for (const FileNode* f : reports.ageReport(tree->root())->untouched)
        listed.push_back(f->path());
    EXPECT_EQ(listed, (std::vector<std::string>{"/home/ann/Videos/old.mkv",
                                                "/home/ann/.local/share/Trashcan/kept.mkv"}));
    pool.waitForDone();
}

// Each edge belongs to the older bucket: a second under 30 days is still "30 days", 30 days is not.
TEST(AgeReportTest, BucketEdgesAt30And91Days) {
    ZoneOverride zone("UTC");
    const std::pair<double, int> edges[] = {
        {30 * kDay - 1, 1}, {30 * kDay, 2}, {91 * kDay - 1, 2}, {91 * kDay, 3}};
    for (const auto& [age, bucket] : edges) {
        TreeBuilder b("/r");
        b.fileAt("f", 7, kNow - age);
        const AgeReport r = AgeReport::compute(b.finish()->root(), kNow);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(r.buckets[i], i == bucket ? 7 : 0) << age / kDay << " days, bucket " << i;
    }
}

// Sizes of sparse files reach 2^63 - 1: every sum of the report stops there instead of wrapping.
TEST(AgeReportTest, SumsOfHugeSizesStopAtTheLargestValue) {
    ZoneOverride zone("UTC");
    TreeBuilder b("/r");
    b.fileAt("a/sparse", INT64_MAX, kNow - 400 * kDay);
    b.fileAt("b/sparse", INT64_MAX, kNow - 400 * kDay);
    b.fileAt("c/small", 1, kNow - 400 * kDay);
    const AgeReport r = AgeReport::compute(b.attach()->root(), kNow);
    EXPECT_EQ(r.buckets[4], INT64_MAX);
    EXPECT_EQ(r.total, INT64_MAX);
    EXPECT_EQ(r.untouchedTotal, INT64_MAX);
    EXPECT_EQ(r.months.at(2022)[9], INT64_MAX); // 400 days before 2023-11-14: October 2022
}

TEST(AgeReportTest, TimesOutsideTheCalendarAreSafe) {
    ZoneOverride zone("UTC");
    TreeBuilder b("/r");
    const double odd[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          1e300,
                          -1e300,
                          9.3e18,
                          -0.5,
                          253402300800.0};
    int i = 0;
    for (double t : odd)
        b.fileAt("f" + std::to_string(i++), 1, t);
    auto tree = b.finish();
    AgeReport r = AgeReport::compute(tree->root(), kNow);
    EXPECT_EQ(r.total, 8);
    EXPECT_EQ(r.buckets[0], 4);     // +inf, 1e300, 9.3e18 and year 10000 lie in the future
    EXPECT_EQ(r.buckets[5], 4);     // NaN, -inf, -1e300, -0.5
    ASSERT_EQ(r.months.size(), 1u); // only year 10000 has a calendar month
    EXPECT_EQ(r.months.begin()->first, 10000);
}

// The month table must agree with a plain localtime_r, across daylight-saving changes.
TEST(AgeReportTest, MonthsAgreeWithLocalTime) {
    auto local = [](double t) {
        time_t s = static_cast<time_t>(t);
        tm out{};
        localtime_r(&s, &out);
        return out;
    };
    for (const char* tz : {"UTC", "America/New_York", "Australia/Lord_Howe", "Pacific/Apia"}) {
        ZoneOverride zone(tz);
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> when(600'000'000, kNow + 200 * kDay); // 1989 to 2024
        TreeBuilder b("/r");
        std::map<int, std::array<int64_t, 12>> expected;
        for (int i = 0; i < 3000; ++i) {
            double t = when(random);
            if (i % 3 == 0) { // right at a local month boundary, or one second before it
                tm start = local(t);
                std::tie(start.tm_sec, start.tm_min, start.tm_hour, start.tm_mday, start.tm_isdst) =
                    std::tuple(0, 0, 0, 1, -1);
                t = static_cast<double>(mktime(&start)) - (i % 2);
            }
            b.fileAt("f" + std::to_string(i), 1 + i, t);
            if (tm l = local(t); l.tm_year + 1900 >= 1990)
                expected[l.tm_year + 1900][size_t(l.tm_mon)] += 1 + i;
        }
        auto tree = b.finish();
        EXPECT_EQ(AgeReport::compute(tree->root(), kNow).months, expected) << tz;
    }
}

// Against a full stable sort of every node, on a tree where sizes repeat a lot.
TEST(RankingsTest, MatchesAFullSort) {
    std::mt19937 random(7);
    TreeBuilder b("/r");
    for (int i = 0; i < 20000; ++i) {
        std::string path = "a" + std::to_string(random() % 30) + "/b" + std::to_string(random() % 20) + "/f" +
                           std::to_string(i);
        b.fileAt(path, static_cast<int64_t>(random() % 300));
    }
    auto tree = b.finish();
    for (size_t limit : {1u, 200u, 700u}) {
        Rankings r = Rankings::compute(tree->root(), limit);
        std::vector<FileNode*> files, folders;
        tree->root()->forEachNode([&](FileNode* n) { (n->isDirectory() ? folders : files).push_back(n); });
        folders.erase(folders.begin()); // the root itself
        FileNode::sortBySizeOnDisk(files);
        FileNode::sortBySizeOnDisk(folders);
        files.resize(std::min(files.size(), limit));
        folders.resize(std::min(folders.size(), limit));
        EXPECT_EQ(r.files, files) << limit;
        EXPECT_EQ(r.folders, folders) << limit;
    }

    TreeBuilder empty("/e"); // only empty folders: no files, and no report fails on it
    empty.folderAt("sub/subsub");
    auto emptyTree = empty.finish();
    EXPECT_TRUE(Rankings::compute(emptyTree->root()).files.empty());
    EXPECT_EQ(AgeReport::compute(emptyTree->root(), kNow).total, 0);
}

// Category order, empty categories left out; nothing for a file or no root at all.
TEST(TypeBreakdownTest, RootBytesPerCategoryInCategoryOrder) {
    TreeBuilder b("/r");
    b.fileAt("a/clip.mp4", 3000);
    b.fileAt("b/song.mp3", 500);
    b.fileAt("b/c/more.mp4", 1000);
    FileNode* notes = b.fileAt("notes.txt", 0);
    auto tree = b.finish();
    std::vector<std::pair<FileCategory, int64_t>> expected;
    for (FileCategory c : file_category::allCases) {
        if (c == FileCategory::video) expected.emplace_back(c, 4000);
        if (c == FileCategory::audio) expected.emplace_back(c, 500);
    }
    EXPECT_EQ(FolderReports::rootTypeBreakdown(tree->root()), expected);
    EXPECT_TRUE(FolderReports::rootTypeBreakdown(notes).empty());
    EXPECT_TRUE(FolderReports::rootTypeBreakdown(nullptr).empty());
}
