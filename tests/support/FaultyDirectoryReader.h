#pragma once

#include "platform/DirectoryReader.h"

#include <fcntl.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>

// The real directory reader with faults made to order, for what cannot be set up on disk when tests
// run as root. Configure before the scan; the hooks run on the scanner's worker threads.
class FaultyDirectoryReader : public platform::LinuxDirectoryReader {
  public:
    std::map<std::string, int> openErrors;      // opening this absolute path fails with the errno
    std::map<std::string, int> laterReadErrors; // every read of this folder after the first fails
    size_t maxBytesPerRead = 0;                 // 0: the whole buffer
    std::vector<platform::MountEntry> extraMounts;
    std::function<void(const std::string&)> onOpen;

    // `onOpen` and `openErrors` see the full path, also for a folder opened relative to another.
    int openDirectory(int parentFd, const char* path, bool followLink, int& fd) override {
        std::string full = fullPath(parentFd, path);
        if (onOpen) onOpen(full);
        if (auto denied = openErrors.find(full); denied != openErrors.end()) {
            fd = -1;
            return denied->second;
        }
        int error = LinuxDirectoryReader::openDirectory(parentFd, path, followLink, fd);
        std::lock_guard lock(mutex_);
        if (error == 0) open_[fd] = {full, 0};
        return error;
    }
    long readEntries(int fd, std::span<std::byte> buffer) override {
        {
            std::lock_guard lock(mutex_);
            if (auto it = open_.find(fd); it != open_.end()) {
                auto later = laterReadErrors.find(it->second.first);
                if (later != laterReadErrors.end() && it->second.second++ > 0) return -later->second;
            }
        }
        if (maxBytesPerRead > 0 && buffer.size() > maxBytesPerRead) buffer = buffer.first(maxBytesPerRead);
        return LinuxDirectoryReader::readEntries(fd, buffer);
    }
    void closeDirectory(int fd) override {
        {
            std::lock_guard lock(mutex_);
            open_.erase(fd);
        }
        LinuxDirectoryReader::closeDirectory(fd);
    }
    std::vector<platform::MountEntry> mounts() override {
        std::vector<platform::MountEntry> all = LinuxDirectoryReader::mounts();
        all.insert(all.end(), extraMounts.begin(), extraMounts.end());
        return all;
    }

  private:
    std::string fullPath(int parentFd, std::string_view path) {
        if (parentFd == AT_FDCWD || path.starts_with('/')) return std::string(path);
        std::lock_guard lock(mutex_);
        auto parent = open_.find(parentFd);
        std::string base = parent == open_.end() ? std::string("?") : parent->second.first;
        if (path == ".") return base;
        return base == "/" ? "/" + std::string(path) : base + "/" + std::string(path);
    }

    std::mutex mutex_;
    std::map<int, std::pair<std::string, int>> open_; // fd -> path, reads so far
};
