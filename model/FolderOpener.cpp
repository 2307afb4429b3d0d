#include "model/FolderOpener.h"

#include <fcntl.h>
#include <sys/resource.h>

#include <algorithm>

struct FolderOpener::Kept {
    Kept(platform::DirectoryReader* r, std::atomic<int>* c, int f) : reader(r), count(c), fd(f) {}
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;
    platform::DirectoryReader* reader;
    std::atomic<int>* count;
    int fd;
    ~Kept() {
        reader->closeDirectory(fd);
        count->fetch_sub(1, std::memory_order_relaxed);
    }
};

FolderOpener::FolderOpener(platform::DirectoryReader& reader, int limit)
    : reader_(reader), limit_(std::max(0, limit)) {}

int FolderOpener::open(const Base& base, const std::string& path, bool followLink, int& fd) const {
    if (!base.kept || base.offset >= path.size())
        return reader_.openDirectory(AT_FDCWD, path.c_str(), followLink, fd);
    return reader_.openDirectory(base.kept->fd, path.c_str() + base.offset, followLink, fd);
}

FolderOpener::Base FolderOpener::baseForChildren(int& fd, size_t prefixLength, Base own) {
    if (fd < 0 || kept_.fetch_add(1, std::memory_order_relaxed) >= limit_) {
        if (fd >= 0) kept_.fetch_sub(1, std::memory_order_relaxed);
        return own;
    }
    try {
        auto kept = std::make_shared<const Kept>(&reader_, &kept_, fd);
        fd = -1;
        return {std::move(kept), prefixLength};
    } catch (...) {
        kept_.fetch_sub(1, std::memory_order_relaxed);
        return own;
    }
}

int FolderOpener::defaultLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 256;
    return static_cast<int>(std::clamp<rlim_t>(limit.rlim_cur / 4, 8, 256));
}
