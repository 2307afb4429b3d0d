#include "model/FileCategory.h"

#include <cstring>

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

// An extension, lower-cased, packed little-endian into two words with its length in the top byte, which
// up to 15 bytes never overlaps the name. Longer ones are never listed.
constexpr size_t kMaxExtension = 15;

struct ExtensionKey {
    uint64_t low = 0, high = 0;
    constexpr void put(size_t i, unsigned char ch) {
        if (i < 8)
            low |= uint64_t{ch} << (8 * i);
        else
            high |= uint64_t{ch} << (8 * (i - 8));
    }
    constexpr void finish(size_t length) { high |= uint64_t{length} << 56; }
    constexpr size_t slot(int bits) const {
        return static_cast<size_t>((low * 0x9E3779B97F4A7C15ull ^ high * 0xC2B2AE3D27D4EB4Full) >>
                                   (64 - bits));
    }
    friend constexpr bool operator==(const ExtensionKey&, const ExtensionKey&) = default;
};

// Open addressing with linear probing; a slot with `high == 0` is empty (every key has a length).
// Built at compile time: the lookup is a multiply, a shift and one or two compares, no byte hashing.
struct ExtensionTable {
    static constexpr int kBits = 9;
    static constexpr size_t kSlots = size_t{1} << kBits;
    std::array<ExtensionKey, kSlots> keys{};
    std::array<FileCategory, kSlots> categories{};

    constexpr void insert(std::string_view ext, FileCategory category) {
        ExtensionKey key;
        for (size_t i = 0; i < ext.size(); ++i)
            key.put(i, static_cast<unsigned char>(ext[i]));
        key.finish(ext.size());
        size_t i = key.slot(kBits);
        while (keys[i].high != 0 && !(keys[i] == key))
            i = (i + 1) & (kSlots - 1);
        keys[i] = key;
        categories[i] = category;
    }
    FileCategory find(const ExtensionKey& key) const {
        for (size_t i = key.slot(kBits);; i = (i + 1) & (kSlots - 1)) {
            if (keys[i] == key) return categories[i];
            if (keys[i].high == 0) return FileCategory::other;
        }
    }
};

constexpr ExtensionTable kExtensions = [] {
    ExtensionTable t;
    for (int c = 0; c < kFileCategoryCount; ++c) {
        std::string_view list = kInfo[c].extensions;
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(' ', start);
            if (end == std::string_view::npos) end = list.size();
            if (end > start) t.insert(list.substr(start, end - start), static_cast<FileCategory>(c));
            start = end + 1;
        }
    }
    return t;
}();

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
    if (extLength < 1 || extLength > kMaxExtension) return FileCategory::other;

    ExtensionKey key;
    for (size_t i = 0; i < extLength; ++i) {
        unsigned char ch = static_cast<unsigned char>(name[dot + 1 + i]);
        // Every listed extension is ASCII, so a name with any other byte can never match.
        if (ch >= 0x80) return FileCategory::other;
        key.put(i, (ch >= 'A' && ch <= 'Z') ? static_cast<unsigned char>(ch + 32) : ch);
    }
    key.finish(extLength);
    return kExtensions.find(key);
}

} // namespace file_category
