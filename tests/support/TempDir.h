#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Creates a file of `size` bytes (parents included) and returns its path.
    std::filesystem::path writeFile(const std::string& relative, size_t size, char fill = 'x') const;
    std::filesystem::path makeDir(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// Writes `text` (bytes as they are) to `path`, creating the folders above it.
void writeFileText(const std::filesystem::path& path, std::string_view text);
// The whole content of a file; empty when it cannot be read.
std::string fileText(const std::filesystem::path& path);
