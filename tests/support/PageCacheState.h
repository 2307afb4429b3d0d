#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The pages of a file as the page cache holds them, a character a page: 'c' cached, 'e' evicted by the
// kernel's reclaim, '.' neither. Reclaim leaves a shadow entry where it took a page, which cachestat
// counts as evicted; a page dropped on request (posix_fadvise) leaves none. So a page that memory
// pressure, or a machine's proactive reclaim, took at any moment is told apart from one a reader dropped.
// A kernel without cachestat (before Linux 6.5) tells 'c' and '.' only.
inline std::string pageStates(const std::filesystem::path& file) {
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t size = std::filesystem::file_size(file);
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    std::vector<unsigned char> resident((size + page - 1) / page);
    if (map == MAP_FAILED || mincore(map, size, resident.data()) != 0) resident.assign(resident.size(), 0);
    if (map != MAP_FAILED) munmap(map, size);
    std::string states(resident.size(), '.');
    for (size_t i = 0; i < states.size(); ++i) {
        struct {
            uint64_t off, len;
        } range{i * page, page};
        struct {
            uint64_t cache, dirty, writeback, evicted, recentlyEvicted;
        } counts{};
        if (resident[i] & 1)
            states[i] = 'c';
        else if (syscall(451 /* cachestat */, fd, &range, &counts, 0) == 0 && counts.evicted > 0)
            states[i] = 'e';
    }
    ::close(fd);
    return states;
}

// Whether the page cache holds a file's pages as it did (`before` and `after` from pageStates): a page
// cached before is cached still, any other is not. A page the kernel reclaimed, before or after, is no
// reader's doing and not judged: a reader reads such a page again, and then drops it.
inline bool keptAsFound(const std::string& before, const std::string& after) {
    if (before.size() != after.size()) return false;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != 'e' && after[i] != 'e' && (after[i] == 'c') != (before[i] == 'c')) return false;
    return true;
}
