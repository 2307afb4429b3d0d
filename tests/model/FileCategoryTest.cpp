#include "model/FileCategory.h"

#include <gtest/gtest.h>

using file_category::forFileName;

TEST(FileCategory, ClassifiesByLastExtensionIgnoringAsciiCase) {
    struct Case {
        const char* name;
        FileCategory expected;
    } cases[] = {
        {"archive.tar.GZ", FileCategory::archive}, {"IMG_0001.HEIC", FileCategory::image},
        {"notes.Md", FileCategory::document},      {"photo.JPEG", FileCategory::image},
        {"x.zsh", FileCategory::developer},        {"backup.tar.gz", FileCategory::archive},
        {"Report.PDF", FileCategory::document},    {"library.so.1", FileCategory::other},
        {"movie.mkv", FileCategory::video},        {"song.flac", FileCategory::audio},
        {"db.sqlite-wal", FileCategory::system},   {"a.d", FileCategory::developer},
    };
    for (const auto& c : cases) EXPECT_EQ(forFileName(c.name), c.expected) << c.name;
}

TEST(FileCategory, NamesWithoutUsableExtensionAreOther) {
    for (const char* name : {".zshrc", ".gitignore", "README", "Makefile", "trailing.", "", "a", ".",
                             "x.abcdefghijklmnop" /* 16 bytes */, "x.abcdefghijklmno" /* 15, unlisted */,
                             "x.p\xC3\xA9g", "x.\xFF\xFE"})
        EXPECT_EQ(forFileName(name), FileCategory::other) << name;
}

TEST(FileCategory, NeverYieldsApplicationAndRawValuesRoundTrip) {
    for (const char* name : {"App.app", "x.app", "y.APP", "z.dmg"})
        EXPECT_NE(forFileName(name), FileCategory::application);
    EXPECT_FALSE(file_category::fromRawValue(9));
    EXPECT_FALSE(file_category::fromRawValue(100));
    EXPECT_FALSE(file_category::fromRawValue(-1));
    EXPECT_EQ(file_category::fromRawValue(8), FileCategory::other);
    for (FileCategory c : file_category::allCases)
        EXPECT_EQ(file_category::fromRawValue(file_category::rawValue(c)), c);
    EXPECT_EQ(file_category::title(FileCategory::audio), "Audio");
    EXPECT_EQ(file_category::title(FileCategory::application), "Apps");
    EXPECT_EQ(file_category::color(FileCategory::video), (Rgb{253, 164, 175}));
}
