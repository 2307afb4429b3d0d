#include "model/FileCategory.h"

#include <cstring>
#include <string>
#include <unordered_map>

namespace file_category {
namespace {

struct CategoryInfo {
    std::string_view title;
    Rgb color;
    std::string_view extensions;
};

constexpr std::array<CategoryInfo, kFileCategoryCount> kInfo = {{
    {"Video", {253, 164, 175}, "mp4 mov m4v mkv avi wmv flv webm mpg mpeg 3gp mts m2ts vob"},
    {"Audio", {196, 181, 253}, "mp3 wav aac m4a flac ogg aiff aif alac wma opus mid midi caf m4b"},
    {"Image",
     {125, 211, 252},
     "jpg jpeg png gif heic heif tiff tif bmp webp svg raw cr2 cr3 nef arw dng psd ai sketch fig ico icns "
     "exr"},
    {"Document",
     {252, 211, 77},
     "pdf doc docx xls xlsx ppt pptx key pages numbers txt rtf md csv epub odt ods odp html htm tex"},
    {"Developer",
     {134, 239, 172},
     "swift m mm h c cc cpp hpp js mjs cjs ts tsx jsx json py pyc rb go rs java kt class jar o a dylib so "
     "node "
     "wasm map lock yml yaml toml xml sh zsh css scss less gradle pbxproj storyboard xib sql php vue svelte "
     "dart lua r ipynb tsbuildinfo d"},
    {"Archive", {253, 186, 116}, "zip gz tgz tar bz2 xz 7z rar dmg iso pkg xip zst lz4 cab"},
    {"Apps", {147, 197, 253}, ""},
    {"System",
     {94, 234, 212},
     "plist log db sqlite sqlite3 sqlite-wal sqlite-shm db-wal db-shm wal shm cache dat ldb idx pack vmdk "
     "img "
     "sparseimage sparsebundle asar"},
    {"Other", {203, 213, 225}, ""},
}};

using ExtensionTable = std::unordered_map<std::string_view, FileCategory>;

// Built once, read-only afterwards; the keys point into the static lists above.
const ExtensionTable& extensionTable() {
    static const ExtensionTable table = [] {
        ExtensionTable t;
        for (int i = 0; i < kFileCategoryCount; ++i) {
            std::string_view list = kInfo[i].extensions;
            size_t start = 0;
            while (start <= list.size()) {
                size_t end = list.find(' ', start);
                if (end == std::string_view::npos) end = list.size();
                if (end > start) t[list.substr(start, end - start)] = static_cast<FileCategory>(i);
                start = end + 1;
            }
        }
        return t;
    }();
    return table;
}

} // namespace

std::optional<FileCategory> fromRawValue(int raw) {
    if (raw < 0 || raw >= kFileCategoryCount) return std::nullopt;
    return static_cast<FileCategory>(raw);
}

std::string_view title(FileCategory c) {
    return kInfo[rawValue(c)].title;
}
Rgb color(FileCategory c) {
    return kInfo[rawValue(c)].color;
}

FileCategory forFileName(const char* name, size_t length) {
    if (length < 2) return FileCategory::other;
    size_t dot = 0;
    for (size_t i = length - 1; i >= 1; --i) {
        if (name[i] == '.') {
            dot = i;
            break;
        }
    }
    if (dot == 0) return FileCategory::other;
    size_t extLength = length - dot - 1;
    if (extLength < 1 || extLength > 15) return FileCategory::other;

    char lower[16];
    for (size_t i = 0; i < extLength; ++i) {
        unsigned char ch = static_cast<unsigned char>(name[dot + 1 + i]);
        // Every listed extension is ASCII, so a name with any other byte can never match.
        if (ch >= 0x80) return FileCategory::other;
        lower[i] = (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : static_cast<char>(ch);
    }
    const auto& table = extensionTable();
    auto it = table.find(std::string_view(lower, extLength));
    return it == table.end() ? FileCategory::other : it->second;
}

} // namespace file_category
