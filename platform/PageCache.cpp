#include "platform/PageCache.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace platform {

namespace {

int64_t pageSize() {
    static const int64_t size = sysconf(_SC_PAGESIZE);
    return size;
}

// Long reads note the cached pages this far ahead of where they read.
constexpr int64_t kWindow = 64 << 20;

// Which pages of the range are cached, from their count when none or all are (no mapping to make);
// empty when the kernel does not count them.
std::vector<unsigned char> countedPages(int fd, int64_t offset, int64_t length) {
    const auto pages = static_cast<size_t>((length + pageSize() - 1) / pageSize());
    const int64_t count = cachedPageCount(fd, offset, length);
    if (count < 0) return {};
    if (count == 0) return std::vector<unsigned char>(pages, 0);
    // A read to one byte past a file whose size is a multiple of the page size counts a page that
    // cannot be cached: told page by page, as a partly cached range is.
    if (count == static_cast<int64_t>(pages)) return std::vector<unsigned char>(pages, 1);
    return residentPages(fd, offset, length);
}

} // namespace

std::vector<unsigned char> residentPages(int fd, int64_t offset, int64_t length) {
    if (length <= 0 || offset < 0 || offset % pageSize() != 0) return {};
    // A mapping only to ask the kernel; nothing is read through it.
    void* map = mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_SHARED, fd, offset);
    if (map == MAP_FAILED) return {};
    std::vector<unsigned char> pages(static_cast<size_t>((length + pageSize() - 1) / pageSize()));
    if (mincore(map, static_cast<size_t>(length), pages.data()) != 0) pages.clear();
    munmap(map, static_cast<size_t>(length));
    return pages;
}

int64_t cachedPageCount(int fd, int64_t offset, int64_t length) {
    if (length <= 0 || offset < 0) return -1;
    // The system call's own types (<linux/mman.h> from Linux 6.5 on; older headers lack them), and its
    // number, the same on every architecture.
    struct {
        uint64_t off, len;
    } range{static_cast<uint64_t>(offset), static_cast<uint64_t>(length)};
    struct {
        uint64_t cache, dirty, writeback, evicted, recentlyEvicted;
    } stat{};
    constexpr long kCachestat = 451;
    static std::atomic<bool> missing = false; // an older kernel: not asked again
    if (missing.load(std::memory_order_relaxed)) return -1;
    if (syscall(kCachestat, fd, &range, &stat, 0) != 0) {
        if (errno == ENOSYS) missing.store(true, std::memory_order_relaxed);
        return -1;
    }
    return static_cast<int64_t>(stat.cache);
}

void dropPagesNotIn(int fd, int64_t offset, int64_t length, const std::vector<unsigned char>& before) {
    const int64_t page = pageSize();
    const size_t pages = static_cast<size_t>((length + page - 1) / page);
    if (before.size() != pages) return;
    for (size_t start = 0; start < pages;) {
        if (before[start] & 1) {
            ++start;
            continue;
        }
        size_t end = start + 1;
        while (end < pages && !(before[end] & 1))
            ++end;
        posix_fadvise(fd, offset + static_cast<int64_t>(start) * page,
                      static_cast<int64_t>(end - start) * page, POSIX_FADV_DONTNEED);
        start = end;
    }
}

CacheKeepingReader::CacheKeepingReader(int fd, int64_t toRead)
    : fd_(fd), toRead_(toRead), windows_(toRead > kShortRead) {
    if (windows_) {
        posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
        cached_ = cachedPagesOfWindow(0);
        cachedNext_ = cachedPagesOfWindow(kWindow);
    } else {
        // Without readahead a read from the disk brings in exactly the pages asked for.
        posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
        // The whole read in one window, when the kernel counts its cached pages.
        cached_ = countedPages(fd_, 0, toRead_);
        windows_ = !cached_.empty();
    }
}

CacheKeepingReader::~CacheKeepingReader() {
    dropBroughtIn();
}

ssize_t CacheKeepingReader::read(void* buffer, size_t length) {
    auto* out = static_cast<char*>(buffer);
    if (!windows_) return readShort(out, length);
    size_t got = 0;
    while (got < length) {
        enterWindowOf(position_);
        // A read stays within one window, whose cached pages were noted before the read.
        const auto want = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(length - got), windowStart_ + kWindow - position_));
        ssize_t n = pread(fd_, out + got, want, position_);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        got += static_cast<size_t>(n);
        position_ += n;
        if (static_cast<size_t>(n) < want) break; // a regular file's read comes back short only at its end
    }
    return static_cast<ssize_t>(got);
}

ssize_t CacheKeepingReader::readShort(char* buffer, size_t length) {
    const int64_t page = pageSize();
    size_t got = 0;
    while (got < length) {
        iovec part{buffer + got, length - got};
        ssize_t n = preadv2(fd_, &part, 1, position_, RWF_NOWAIT);
        bool fromDisk = false;
        if (n < 0 && errno == EOPNOTSUPP) {
            // This file system cannot tell: note what is cached the long way, from here on.
            windows_ = true;
            windowStart_ = position_ / page * page;
            cached_ = cachedPagesOfWindow(windowStart_);
            cachedNext_ = cachedPagesOfWindow(windowStart_ + kWindow);
            ssize_t rest = read(buffer + got, length - got);
            return rest < 0 ? -1 : static_cast<ssize_t>(got) + rest;
        }
        if (n < 0 && errno == EAGAIN) {
            // Not all cached: the kernel has started reading the missing pages, and this waits for them.
            fromDisk = true;
            n = pread(fd_, buffer + got, length - got, position_);
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        if (fromDisk) {
            if (!brought_.empty() && brought_.back().second == position_)
                brought_.back().second += n;
            else
                brought_.emplace_back(position_, position_ + n);
        }
        got += static_cast<size_t>(n);
        position_ += n;
        // A cached-only read also stops short where the next page is not cached, always at a page's
        // start; elsewhere a short read is the file's end.
        if (got < length && (fromDisk || position_ % page != 0)) break;
    }
    return static_cast<ssize_t>(got);
}

void CacheKeepingReader::enterWindowOf(int64_t position) {
    while (position >= windowStart_ + kWindow) {
        dropPagesNotIn(fd_, windowStart_, static_cast<int64_t>(cached_.size()) * pageSize(), cached_);
        windowStart_ += kWindow;
        cached_ = std::move(cachedNext_);
        cachedNext_ = cachedPagesOfWindow(windowStart_ + kWindow);
    }
}

std::vector<unsigned char> CacheKeepingReader::cachedPagesOfWindow(int64_t start) const {
    const int64_t length = std::min(kWindow, toRead_ - start);
    if (length <= 0) return {};
    std::vector<unsigned char> pages = countedPages(fd_, start, length);
    return pages.empty() ? residentPages(fd_, start, length) : pages;
}

void CacheKeepingReader::dropBroughtIn() {
    const int64_t page = pageSize();
    for (auto [start, end] : brought_) {
        const int64_t first = start / page * page, last = (end + page - 1) / page * page;
        posix_fadvise(fd_, first, last - first, POSIX_FADV_DONTNEED);
    }
    brought_.clear();
    if (windows_) {
        // The readahead may have run into the next window too.
        dropPagesNotIn(fd_, windowStart_, static_cast<int64_t>(cached_.size()) * page, cached_);
        dropPagesNotIn(fd_, windowStart_ + kWindow, static_cast<int64_t>(cachedNext_.size()) * page,
                       cachedNext_);
    }
}

} // namespace platform
