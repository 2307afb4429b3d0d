#include "model/FileCategory.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

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

// The lookup table against a plain map of every listed extension: each one in any ASCII case, and the
// near misses around it (one byte short, one byte more, every name of up to two letters or digits).
TEST(FileCategory, LookupMatchesEveryListedExtensionAndNothingElse) {
    const std::pair<FileCategory, std::string_view> lists[] = {
        {FileCategory::video, "mp4 mov m4v mkv avi wmv flv webm mpg mpeg 3gp mts m2ts vob"},
        {FileCategory::audio, "mp3 wav aac m4a flac ogg aiff aif alac wma opus mid midi caf m4b"},
        {FileCategory::image,
         "jpg jpeg png gif heic heif tiff tif bmp webp svg raw cr2 cr3 nef arw dng psd ai "
         "sketch fig ico icns exr"},
        {FileCategory::document,
         "pdf doc docx xls xlsx ppt pptx key pages numbers txt rtf md csv epub odt ods "
         "odp html htm tex"},
        {FileCategory::developer, "swift m mm h c cc cpp hpp js mjs cjs ts tsx jsx json py pyc rb go rs java "
                                  "kt class jar o a dylib so "
                                  "node wasm map lock yml yaml toml xml sh zsh css scss less gradle pbxproj "
                                  "storyboard xib sql php vue "
                                  "svelte dart lua r ipynb tsbuildinfo d"},
        {FileCategory::archive, "zip gz tgz tar bz2 xz 7z rar dmg iso pkg xip zst lz4 cab"},
        {FileCategory::system,
         "plist log db sqlite sqlite3 sqlite-wal sqlite-shm db-wal db-shm wal shm cache dat "
         "ldb idx pack vmdk img sparseimage sparsebundle asar"},
    };
    std::map<std::string, FileCategory> listed;
    for (const auto& [category, list] : lists) {
        std::istringstream words{std::string(list)};
        for (std::string ext; words >> ext;)
            listed[ext] = category;
    }
    ASSERT_EQ(listed.size(), 165u);
    auto expected = [&](const std::string& ext) {
        std::string lower = ext;
        for (char& ch : lower)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
        auto it = listed.find(lower);
        return it == listed.end() ? FileCategory::other : it->second;
    };
    auto check = [&](const std::string& ext) {
        EXPECT_EQ(file_category::forFileName("name." + ext), expected(ext)) << ext;
    };
    for (const auto& [ext, category] : listed) {
        std::string upper = ext, mixed = ext;
        for (size_t i = 0; i < ext.size(); ++i) {
            if (ext[i] >= 'a' && ext[i] <= 'z') {
                upper[i] = static_cast<char>(ext[i] - 32);
                if (i % 2 == 0) mixed[i] = upper[i];
            }
        }
        EXPECT_EQ(file_category::forFileName("x." + ext), category) << ext;
        check(upper);
        check(mixed);
        check(ext.substr(0, ext.size() - 1));
        check(ext + "x");
        check(ext + '\0');
    }
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789-";
    for (char a : alphabet) {
        check(std::string(1, a));
        for (char b : alphabet)
            check(std::string{a, b});
    }
}
