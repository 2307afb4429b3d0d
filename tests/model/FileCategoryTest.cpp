#include "model/FileCategory.h"

#include <gtest/gtest.h>

TEST(FileCategory, ClassifiesByLastExtensionIgnoringAsciiCase) {
    const std::pair<const char*, FileCategory> cases[] = {
        {"archive.tar.GZ", FileCategory::archive},
        {"IMG_0001.HEIC", FileCategory::image},
        {"library.so.1", FileCategory::other},
        {"db.sqlite-wal", FileCategory::system},
        {"a.d", FileCategory::developer},
        {"z.dmg", FileCategory::archive},
        // No usable extension: hidden names, none, empty, too long, not ASCII; and no bundles here.
        {".zshrc", FileCategory::other},
        {"trailing.", FileCategory::other},
        {"", FileCategory::other},
        {".", FileCategory::other},
        {"x.abcdefghijklmno", FileCategory::other},
        {"x.p\xC3\xA9g", FileCategory::other},
        {"x.\xFF\xFE", FileCategory::other},
        {"App.app", FileCategory::other},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(file_category::forFileName(name), expected) << name;
    EXPECT_EQ(file_category::fromRawValue(8), FileCategory::other);
    EXPECT_FALSE(file_category::fromRawValue(9));
    EXPECT_FALSE(file_category::fromRawValue(-1));
}
