#pragma once

#include "platform/DirectoryReader.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>

// The real directory reader with faults made to order, for what cannot be set up on disk when tests
// run as root: folders denied at open, reads failing part-way, short reads, extra mounts.
// Configure before the scan; the hooks are called from the scanner's worker threads.
class FaultyDirectoryReader : public platform::LinuxDirectoryReader {
public:
    // Opening this absolute path fails with `error` (EACCES, EPERM, ...).
    std::map<std::string, int> openErrors;
    // The first read of this folder succeeds, every later read fails with `error`.
    std::map<std::string, int> laterReadErrors;
    // At most this many bytes per read (0: the whole buffer), to force many reads per folder.
    size_t maxBytesPerRead = 0;
    // Mounts reported in addition to the real ones.
    std::vector<platform::MountEntry> extraMounts;
    // Called with the path of every folder opened.
    std::function<void(const std::string&)> onOpen;

    int openDirectory(int parentFd, const char* path, int& fd) override;
    long readEntries(int fd, std::span<std::byte> buffer) override;
    void closeDirectory(int fd) override;
    std::vector<platform::MountEntry> mounts() override;

    int openCount() const;

private:
    mutable std::mutex mutex_;
    std::map<int, std::pair<std::string, int>> open_; // fd -> path, reads so far
    int opens_ = 0;
};
