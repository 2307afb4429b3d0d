#include "model/FileCategory.h"

#include <gtest/gtest.h>

TEST(FileCategory, ClassifiesByLastExtensionIgnoringAsciiCase) {
    struct Case {
        const char* name;
        FileCategory expected;
    } cases[] = {
        {"archive.tar.GZ", FileCategory::archive}, {"IMG_0001.HEIC", FileCategory::image},
        {"notes.Md", FileCategory::document},      {"x.zsh", FileCategory::developer},
        {"library.so.1", FileCategory::other},     {"movie.mkv", FileCategory::video},
        {"song.flac", FileCategory::audio},        {"db.sqlite-wal", FileCategory::system},
        {"a.d", FileCategory::developer},
        // No usable extension: hidden names, none, empty, too long, unlisted, not ASCII.
        {".zshrc", FileCategory::other}, {"README", FileCategory::other}, {"trailing.", FileCategory::other},
        {"", FileCategory::other}, {".", FileCategory::other}, {"x.abcdefghijklmnop", FileCategory::other},
        {"x.abcdefghijklmno", FileCategory::other}, {"x.p\xC3\xA9g", FileCategory::other},
        {"x.\xFF\xFE", FileCategory::other},
        // Bundles do not exist here: nothing is ever an application by its name.
        {"App.app", FileCategory::other}, {"y.APP", FileCategory::other}, {"z.dmg", FileCategory::archive},
    };
    for (const auto& c : cases) EXPECT_EQ(file_category::forFileName(c.name), c.expected) << c.name;
    EXPECT_EQ(file_category::fromRawValue(8), FileCategory::other);
    EXPECT_FALSE(file_category::fromRawValue(9));
    EXPECT_FALSE(file_category::fromRawValue(-1));
}
