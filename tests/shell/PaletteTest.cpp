#include "shell/style/Palette.h"
#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

using palette::ageBucket;

constexpr double kDay = 86400;
constexpr double kNow = 1'700'000'000;

TEST(Palette, AgeBucketBoundaries) {
    const std::pair<double, int> daysAgo[] = {{6.99, 0}, {7, 1},     {29.99, 1}, {30, 2}, {364.9, 3},
                                              {365, 4},  {729.9, 4}, {730, 5},   {-1, 0}}; // -1: the future
    for (auto [days, bucket] : daysAgo)
        EXPECT_EQ(ageBucket(kNow - days * kDay, kNow), bucket) << days;
    EXPECT_EQ(ageBucket(std::nullopt, kNow), 5);
    EXPECT_EQ(ageBucket(std::numeric_limits<double>::quiet_NaN(), kNow), 5);
    EXPECT_EQ(palette::ageBucketOfStamp(0, kNow), 5);
    EXPECT_EQ(palette::ageBucketOfStamp(-kDay, kNow), 5); // long before 1970: old, not unknown
}

TEST(Palette, FolderColoursWrapAndNodeColoursFollowTheMode) {
    const int families = int(palette::folderFamilies().size());
    const int shades = int(palette::folderFamilies()[0].size());
    EXPECT_EQ(palette::folderColor(families + 1, 0, 1), palette::folderColor(1, 0, 1));
    EXPECT_EQ(palette::folderColor(-families, 3, 1),
              palette::folderColor(0, 0, 1)); // depth below 2: base shade
    EXPECT_EQ(palette::folderColor(0, shades, 2), palette::folderColor(0, 0, 2));

    TestTree t;
    FileNode* movies = t.folder(t.root(), "Movies", kNow - 400 * kDay);
    t.file(movies, "a.mov", 900, FileCategory::video, kNow - 400 * kDay);
    t.file(movies, "b.txt", 100, FileCategory::document, kNow - 400 * kDay);
    FileNode* undated = t.file(t.root(), "x", 5, FileCategory::audio, 0);
    FileNode* empty = t.folder(t.root(), "empty");
    t.finish();
    auto color = [](const FileNode& n, ColorMode mode, int depth = 0, int index = 0) {
        return palette::nodeColor(n, mode, depth == 0, 9, depth, index, kNow);
    };
    // By type: a folder takes its dominant category, one without bytes is "other".
    EXPECT_EQ(color(*empty, ColorMode::type).rgb(), palette::categoryColor(FileCategory::other).rgb());
    EXPECT_EQ(color(*movies, ColorMode::type, 1, 1).rgb(), palette::categoryColor(FileCategory::video).rgb());
    // Below the first level odd siblings are lighter, to tell neighbours apart.
    EXPECT_LT(color(*movies, ColorMode::type, 1, 1).alphaF(), color(*movies, ColorMode::type, 2, 1).alphaF());
    // By age: an unknown date is the oldest colour.
    EXPECT_EQ(color(*undated, ColorMode::age).rgb(), palette::agePalette()[5].rgb());
    EXPECT_EQ(color(*movies, ColorMode::age).rgb(), palette::agePalette()[4].rgb());
}

// The folder grid draws the card body of each tint ahead; a tint missing here would be drawn late.
TEST(Palette, CardTintsHoldEveryTintACardGets) {
    TestTree t;
    std::vector<FileNode*> folders;
    for (int c = 0; c < kFileCategoryCount; ++c) {
        for (double age : {0.0, 2.0, 20.0, 60.0, 300.0, 500.0, 1000.0}) { // days; 0: no date
            const double stamp = age == 0 ? 0 : kNow - age * kDay;
            FileNode* folder = t.folder(t.root(), "f" + std::to_string(folders.size()), stamp);
            t.file(folder, "x", 10, FileCategory(c), stamp);
            folders.push_back(folder);
        }
    }
    t.finish();
    for (ColorMode mode : color_mode::allCases) {
        const std::vector<QColor> tints = palette::cardTints(mode);
        std::vector<QColor> seen;
        for (size_t i = 0; i < folders.size(); ++i) {
            const QColor tint = palette::cardColor(*folders[i], mode, int(i), kNow);
            EXPECT_NE(std::find(tints.begin(), tints.end(), tint), tints.end()) << i;
            if (std::find(seen.begin(), seen.end(), tint) == seen.end()) seen.push_back(tint);
        }
        EXPECT_EQ(seen.size(), tints.size()); // and none that no card gets
    }
}

TEST(Palette, Initials) {
    const std::pair<const char*, const char*> cases[] = {
        {"node_modules", "NM"},
        {"one two-three.four five", "OTT"},
        {"Downloads", "D"},
        {".app", "."},
        {"", ""},
        {"__a__b", "AB"},
        {"   ", " "},
        {"élan vital", "ÉV"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(palette::initials(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
    // A character made of two code points stays whole.
    EXPECT_EQ(palette::initials(QString::fromUtf8("e\u0301cole normale")), QString::fromUtf8("E\u0301N"));
}

} // namespace
