#include "platform/PageCache.h"
#include "tests/support/PageCacheState.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const size_t kPage = static_cast<size_t>(sysconf(_SC_PAGESIZE));

// One flag per page of the file: in the page cache or not.
std::vector<bool> residency(const fs::path& file) {
    const size_t size = fs::file_size(file);
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    std::vector<unsigned char> pages((size + kPage - 1) / kPage);
    EXPECT_EQ(mincore(map, size, pages.data()), 0);
    munmap(map, size);
    ::close(fd);
    std::vector<bool> out;
    for (unsigned char p : pages)
        out.push_back(p & 1);
    return out;
}

// Leaves exactly the pages for which `cached(page)` is true in the page cache.
template <typename Pred> void cacheOnly(const fs::path& file, Pred cached) {
    const size_t size = fs::file_size(file);
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(fdatasync(fd), 0);
    ASSERT_EQ(posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED), 0);
    ASSERT_EQ(posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM), 0); // no readahead around the pages asked for
    std::vector<char> page(kPage);
    for (size_t i = 0; i * kPage < size; ++i)
        if (cached(i)) {
            ASSERT_GT(pread(fd, page.data(), kPage, static_cast<off_t>(i * kPage)), 0);
        }
    ::close(fd);
}

// Reads the whole file through a CacheKeepingReader in `chunk`-byte reads (one byte past its end too);
// `before` is what the page cache held once the reader had noted it.
std::string readKeepingCache(const fs::path& file, size_t chunk, std::string& before) {
    const auto size = static_cast<int64_t>(fs::file_size(file));
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    std::string out;
    {
        platform::CacheKeepingReader reader(fd, size + 1);
        before = pageStates(file);
        std::vector<char> buffer(chunk);
        for (ssize_t n; (n = reader.read(buffer.data(), buffer.size())) > 0;) {
            out.append(buffer.data(), static_cast<size_t>(n));
            if (static_cast<size_t>(n) < buffer.size()) break;
        }
    }
    ::close(fd);
    return out;
}

} // namespace

// Short reads (the whole range noted) and long ones (noted a window ahead) both give the file's bytes and
// leave exactly the pages that were cached before: none, all, a leading part, or scattered pages of a long
// file. Pages the kernel reclaims meanwhile are judged by neither.
TEST(PageCacheTest, AReaderLeavesThePageCacheAsItFoundIt) {
    TempDir temp;
    struct Case {
        const char* name;
        size_t size;
        size_t chunk;
        std::function<bool(size_t)> cached;
        bool holes = false; // a file of holes, whose pages the file system makes without reading the disk
    };
    const size_t half = (512u << 10) / kPage / 2;
    const std::vector<Case> cases = {
        {"short, cold", 512u << 10, 256u << 10, [](size_t) { return false; }},
        {"short, warm", 512u << 10, 256u << 10, [](size_t) { return true; }},
        {"short, first half cached", 512u << 10, 256u << 10, [&](size_t i) { return i < half; }},
        {"short, odd size, cold", 5'000, 4'097, [](size_t) { return false; }},
        {"short, holes, cold", 512u << 10, 256u << 10, [](size_t) { return false; }, true},
        {"long, cold", 8u << 20, 256u << 10, [](size_t) { return false; }},
        {"long, warm", 8u << 20, 256u << 10, [](size_t) { return true; }},
        {"long, every other 64 pages cached", 8u << 20, 256u << 10,
         [](size_t i) { return (i / 64) % 2 == 0; }},
    };
    for (const auto& c : cases) {
        const fs::path file = temp.path() / "file";
        std::string content(c.size, '\0');
        for (size_t i = 0; !c.holes && i < content.size(); ++i)
            content[i] = static_cast<char>(i * 131 / 7);
        writeFileText(file, c.holes ? std::string() : content);
        fs::resize_file(file, c.size);
        cacheOnly(file, c.cached);
        if (!c.cached(0) && residency(file)[0]) GTEST_SKIP() << "this file system keeps pages in memory";
        std::string before;
        EXPECT_EQ(readKeepingCache(file, c.chunk, before), content) << c.name;
        const std::string after = pageStates(file);
        EXPECT_TRUE(keptAsFound(before, after)) << c.name << "\n" << before << "\n" << after;
        fs::remove(file);
    }
}
