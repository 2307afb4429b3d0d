#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The nine kinds of file; the raw value is the index into every per-category array.
enum class FileCategory : uint8_t {
    video = 0,
    audio,
    image,
    document,
    developer,
    archive,
    application,
    system,
    other,
};

constexpr int kFileCategoryCount = 9;

struct Rgb {
    uint8_t r, g, b;
    friend bool operator==(Rgb, Rgb) = default;
};

namespace file_category {

constexpr std::array<FileCategory, kFileCategoryCount> allCases = {
    FileCategory::video,       FileCategory::audio,     FileCategory::image,
    FileCategory::document,    FileCategory::developer, FileCategory::archive,
    FileCategory::application, FileCategory::system,    FileCategory::other,
};

constexpr int rawValue(FileCategory c) {
    return static_cast<int>(c);
}
std::optional<FileCategory> fromRawValue(int raw);

std::string_view title(FileCategory c);
// Fixed sRGB colour, the same in both themes.
Rgb color(FileCategory c);

// Category of a file from its raw name bytes; never `application`.
FileCategory forFileName(const char* name, size_t length);
inline FileCategory forFileName(std::string_view name) {
    return forFileName(name.data(), name.size());
}

} // namespace file_category
