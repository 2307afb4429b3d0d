#include "shell/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using palette::ageBucket;

constexpr double kDay = 86400;
constexpr double kNow = 1'700'000'000;

TEST(Palette, AgeBucketBoundaries) {
    auto daysAgo = [](double days) { return ageBucket(kNow - days * kDay, kNow); };
    EXPECT_EQ(daysAgo(6.99), 0);
    EXPECT_EQ(daysAgo(7), 1);
    EXPECT_EQ(daysAgo(29.99), 1);
    EXPECT_EQ(daysAgo(30), 2);
    EXPECT_EQ(daysAgo(91), 3);
    EXPECT_EQ(daysAgo(364.9), 3);
    EXPECT_EQ(daysAgo(365), 4);
    EXPECT_EQ(daysAgo(729.9), 4);
    EXPECT_EQ(daysAgo(730), 5);
    EXPECT_EQ(daysAgo(-1), 0); // the future
    EXPECT_EQ(ageBucket(std::nullopt, kNow), 5);
    EXPECT_EQ(ageBucket(std::numeric_limits<double>::quiet_NaN(), kNow), 5);
    EXPECT_EQ(palette::ageBucketOfStamp(0, kNow), 5);
    EXPECT_EQ(palette::ageBucketOfStamp(-kDay, kNow), 5); // long before 1970: old, not unknown
    EXPECT_EQ(palette::ageBucketOfStamp(kNow - kDay, kNow), 0);
}

TEST(Palette, FolderColourWrapsFamiliesAndShades) {
    const int families = int(palette::folderFamilies().size());
    EXPECT_EQ(palette::folderColor(families + 1, 0, 1), palette::folderColor(1, 0, 1));
    EXPECT_EQ(palette::folderColor(-families, 3, 1), palette::folderColor(0, 3, 1)); // depth below 2: base shade
    EXPECT_EQ(palette::folderColor(0, 3, 1), palette::folderColor(0, 0, 1));
    const size_t shades = palette::folderFamilies()[0].size();
    EXPECT_EQ(palette::folderColor(0, int(shades), 2), palette::folderColor(0, 0, 2));
    EXPECT_NE(palette::folderColor(0, 1, 2), palette::folderColor(0, 0, 2));
}

TEST(Palette, NodeCardAndMindMapColours) {
    TestTree t;
    FileNode* movies = t.folder(t.root(), "Movies", kNow - 400 * kDay);
    t.file(movies, "a.mov", 900, FileCategory::video, kNow - 400 * kDay);
    t.file(movies, "b.txt", 100, FileCategory::document, kNow - 400 * kDay);
    FileNode* undated = t.file(t.root(), "x", 5, FileCategory::audio, 0);
    FileNode* empty = t.folder(t.root(), "empty");
    t.finish();
    // A folder without bytes, by type, is "other".
    EXPECT_EQ(palette::nodeColor(*empty, ColorMode::type, true, 0, 0, 0, kNow).rgb(),
              palette::categoryColor(FileCategory::other).rgb());

    // By type: a folder takes its dominant category; below the first level odd siblings are 0.8.
    EXPECT_EQ(palette::nodeColor(*movies, ColorMode::type, false, 0, 1, 1, kNow).rgb(),
              palette::categoryColor(FileCategory::video).rgb());
    EXPECT_NEAR(palette::nodeColor(*movies, ColorMode::type, false, 0, 1, 1, kNow).alphaF(), 0.8, 1e-3);
    EXPECT_FLOAT_EQ(palette::nodeColor(*movies, ColorMode::type, true, 0, 1, 1, kNow).alphaF(), 1.0f);
    EXPECT_FLOAT_EQ(palette::nodeColor(*movies, ColorMode::type, false, 0, 2, 1, kNow).alphaF(), 1.0f);
    EXPECT_EQ(palette::nodeColor(*undated, ColorMode::type, true, 0, 0, 0, kNow).rgb(),
              palette::categoryColor(FileCategory::audio).rgb());
    // By age: an unknown date is the oldest colour.
    const QColor age = palette::nodeColor(*undated, ColorMode::age, true, 0, 0, 0, kNow);
    EXPECT_EQ(age.rgb(), palette::agePalette()[5].rgb());
    EXPECT_NEAR(age.alphaF(), 0.55, 1e-3);
    EXPECT_EQ(palette::nodeColor(*movies, ColorMode::age, true, 0, 0, 0, kNow).rgb(), palette::agePalette()[4].rgb());
    EXPECT_EQ(palette::nodeColor(*movies, ColorMode::folder, true, 9, 0, 1, kNow).rgb(),
              palette::folderColor(9, 0, 1).rgb());

    EXPECT_NEAR(palette::cardColor(*movies, ColorMode::type, 0, kNow).alphaF(), 0.38, 1e-3);
    EXPECT_NEAR(palette::cardColor(*movies, ColorMode::age, 0, kNow).alphaF(), 0.25, 1e-3);
    EXPECT_EQ(palette::mindMapColor(*movies, ColorMode::folder, 9, kNow).rgb(),
              palette::mindMapColor(*movies, ColorMode::folder, 1, kNow).rgb()); // wraps
    EXPECT_NEAR(palette::mindMapColor(*movies, ColorMode::age, 0, kNow).alphaF(), 0.8, 1e-3);
    EXPECT_EQ(palette::mindMapColor(*movies, ColorMode::type, 0, kNow).rgb(),
              palette::categoryColor(FileCategory::video).rgb());
}

TEST(Palette, Initials) {
    const std::pair<const char*, const char*> cases[] = {
        {"Xcode DerivedData", "XD"}, {"node_modules", "NM"}, {"Macintosh HD", "MH"},
        {"one two-three.four five", "OTT"}, {"Downloads", "D"}, {".app", "."},
        {"", ""}, {"__a__b", "AB"}, {"   ", " "}, {"élan vital", "ÉV"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(palette::initials(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
    // A character made of two code points stays whole.
    EXPECT_EQ(palette::initials(QString::fromUtf8("e\u0301cole normale")), QString::fromUtf8("E\u0301N"));
}

} // namespace
