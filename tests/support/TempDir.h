#pragma once

#include "tests/support/DeepFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

// Writes `text` (bytes as they are) to `path`, creating the folders above it.
inline void writeFileText(const std::filesystem::path& path, std::string_view text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The whole content of a file; empty when it cannot be read.
inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A fresh folder under the system's temporary folder, removed with everything in it at the end (at any
// depth).
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brenwick-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        if (removeTree(path_.string())) return;
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Creates a file of `size` bytes (parents included) and returns its path.
    std::filesystem::path writeFile(const std::string& relative, size_t size, char fill = 'x') const {
        writeFileText(path_ / relative, std::string(size, fill));
        return path_ / relative;
    }
    std::filesystem::path makeDir(const std::string& relative) const {
        std::filesystem::create_directories(path_ / relative);
        return path_ / relative;
    }

  private:
    std::filesystem::path path_;
};
