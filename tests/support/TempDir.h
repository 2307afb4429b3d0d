#pragma once

#include <filesystem>
#include <string>

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
