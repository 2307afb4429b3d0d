#include "platform/PageCache.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {

namespace {

int64_t pageSize() {
    static const int64_t size = sysconf(_SC_PAGESIZE);
    return size;
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

} // namespace platform
