#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Which pages of [offset, offset + length) of the open file are in the page cache, one flag per page
// (bit 0 set: resident); empty when that cannot be told (the file cannot be mapped). `offset` must be a
// multiple of the page size.
std::vector<unsigned char> residentPages(int fd, int64_t offset, int64_t length);

// Drops from the page cache the pages of [offset, offset + length) that `before` (as residentPages gave
// it for the same range) does not mark resident: what a read brought in, and nothing another program had
// cached. An empty `before` drops nothing.
void dropPagesNotIn(int fd, int64_t offset, int64_t length, const std::vector<unsigned char>& before);

// How many pages of [offset, offset + length) of the open file are in the page cache (cachestat, Linux
// 6.5); -1 when the kernel does not tell: an older kernel, or a file the caller could not write (as with
// mincore, which then calls every page resident).
int64_t cachedPageCount(int fd, int64_t offset, int64_t length);

// Reads an open regular file from its start and leaves the page cache as it found it: pages that were
// cached before stay, pages its reads bring in are dropped, at the latest when it is destroyed. A search
// through many files would otherwise push other programs' pages out for files nobody will read again.
//
// `toRead` is how much the caller means to read. Which pages are cached is noted before they are read:
// counted first (a cold or a wholly cached range, the usual case, costs one system call), told page by
// page (mincore on a mapping made only to ask) when partly cached. Short reads (up to kShortRead) note the
// whole range and turn the kernel's readahead off, so they bring in only the pages they read. Where the
// kernel will not count, they first ask for cached pages only (RWF_NOWAIT) and drop what the rest of the
// read brought in; that misses pages the cached-only read itself brings in, since it starts reading the
// missing ones and comes back with them when the disk answers at once. Longer reads keep the readahead
// and note the cached pages one 64 MiB window ahead of where they read, so the readahead into the next
// window is not taken for another program's pages.
class CacheKeepingReader {
  public:
    static constexpr int64_t kShortRead = 1 << 20;

    CacheKeepingReader(int fd, int64_t toRead);
    ~CacheKeepingReader();
    CacheKeepingReader(const CacheKeepingReader&) = delete;
    CacheKeepingReader& operator=(const CacheKeepingReader&) = delete;

    // Like read(2) at the current position: the bytes read (fewer than `length` only at the file's end),
    // or -1 with errno set.
    ssize_t read(void* buffer, size_t length);

  private:
    ssize_t readShort(char* buffer, size_t length);
    void enterWindowOf(int64_t position);
    void dropBroughtIn();
    std::vector<unsigned char> cachedPagesOfWindow(int64_t start) const;

    int fd_;
    int64_t toRead_;
    int64_t position_ = 0;
    bool windows_;
    // Short reads the kernel does not count: the ranges read from the disk, [start, end) in bytes.
    std::vector<std::pair<int64_t, int64_t>> brought_;
    // Noted reads: the window being read and what was cached of it and of the next before the reads.
    int64_t windowStart_ = 0;
    std::vector<unsigned char> cached_, cachedNext_;
};

} // namespace platform
