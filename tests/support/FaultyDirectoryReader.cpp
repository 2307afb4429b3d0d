#include "tests/support/FaultyDirectoryReader.h"

int FaultyDirectoryReader::openDirectory(int parentFd, const char* path, int& fd) {
    if (onOpen) onOpen(path);
    {
        std::lock_guard lock(mutex_);
        ++opens_;
    }
    auto denied = openErrors.find(path);
    if (denied != openErrors.end()) {
        fd = -1;
        return denied->second;
    }
    int error = LinuxDirectoryReader::openDirectory(parentFd, path, fd);
    if (error == 0) {
        std::lock_guard lock(mutex_);
        open_[fd] = {path, 0};
    }
    return error;
}

long FaultyDirectoryReader::readEntries(int fd, std::span<std::byte> buffer) {
    int failWith = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = open_.find(fd);
        if (it != open_.end()) {
            auto later = laterReadErrors.find(it->second.first);
            if (later != laterReadErrors.end() && it->second.second > 0) failWith = later->second;
            ++it->second.second;
        }
    }
    if (failWith) return -failWith;
    if (maxBytesPerRead > 0 && buffer.size() > maxBytesPerRead) buffer = buffer.first(maxBytesPerRead);
    return LinuxDirectoryReader::readEntries(fd, buffer);
}

void FaultyDirectoryReader::closeDirectory(int fd) {
    {
        std::lock_guard lock(mutex_);
        open_.erase(fd);
    }
    LinuxDirectoryReader::closeDirectory(fd);
}

std::vector<platform::MountEntry> FaultyDirectoryReader::mounts() {
    std::vector<platform::MountEntry> all = LinuxDirectoryReader::mounts();
    all.insert(all.end(), extraMounts.begin(), extraMounts.end());
    return all;
}

int FaultyDirectoryReader::openCount() const {
    std::lock_guard lock(mutex_);
    return opens_;
}
