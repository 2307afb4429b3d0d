#pragma once

#include "tests/support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// Two files of `size` bytes in `folder` (relative to `dir`), alike in their first MiB and holes after
// it: the duplicate search has to read both whole to tell them apart, which takes seconds, while they
// take a MiB of disk each.
inline void writeSparseTwins(const TempDir& dir, const std::string& folder, int64_t size) {
    const std::string head(1 << 20, 'd');
    for (const char* name : {"twin-1.img", "twin-2.img"}) {
        const std::filesystem::path path = dir.path() / folder / name;
        writeFileText(path, head);
        std::filesystem::resize_file(path, static_cast<uintmax_t>(size));
    }
}

// Bytes the process has read so far with read(2) and its kin, on any thread ("rchar" of /proc/self/io);
// -1 when the kernel does not tell.
inline int64_t bytesReadByProcess() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

// Read before a search reaches the whole-file pass of the twins: the screen and the partial hashes read
// a few KiB of each file.
constexpr int64_t kTwinsBeingHashed = 32 << 20;
