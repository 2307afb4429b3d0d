#include "model/DuplicateFinder.h"
#include "model/DiskScanner.h"
#include "model/DuplicatePrefilter.h"
#include "platform/TrashFolders.h"
#include "tests/support/DeepFolders.h"
#include "tests/support/PageCacheState.h"
#include "tests/support/SparseTwins.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeChecks.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string names(const DuplicateFinder::Group& g) {
    std::string out;
    for (const FileNode* f : g.files)
        out += (out.empty() ? "" : " ") + std::string(f->name());
    return out;
}

// Runs the search with a time limit: a search that blocks on a pipe must fail the test, not hang it.
std::vector<DuplicateFinder::Group> findWithTimeLimit(const std::shared_ptr<ScanTree>& tree,
                                                      DuplicateFinder::Stats* stats = nullptr) {
    auto future =
        std::async(std::launch::async, [&] { return DuplicateFinder::find(tree, nullptr, stats, 4); });
    if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the duplicate search hung";
        std::_Exit(1);
    }
    return future.get();
}

std::shared_ptr<ScanTree> scan(const TempDir& dir) {
    return DiskScanner().scan(dir.str());
}

// Share of the file's pages in the page cache, 0 to 1.
double cachedShare(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    size_t size = fs::file_size(file);
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> pages((size + page - 1) / page);
    EXPECT_EQ(mincore(map, size, pages.data()), 0);
    munmap(map, size);
    ::close(fd);
    size_t resident = 0;
    for (unsigned char p : pages)
        resident += p & 1;
    return static_cast<double>(resident) / static_cast<double>(pages.size());
}

void setCached(const fs::path& file, bool cached) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(fdatasync(fd), 0);
    if (cached) {
        std::vector<char> buffer(1 << 20);
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
    } else {
        ASSERT_EQ(posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED), 0);
    }
    ::close(fd);
}

} // namespace

TEST(DuplicateFinderTest, HashFileReadsOnlyWhatIsAsked) {
    TempDir temp;
    fs::path f = temp.path() / "abcdef";
    writeFileText(f, "abcdef");
    fs::create_symlink(f, temp.path() / "link");
    std::vector<unsigned char> buffer(1 << 16);
    auto hex = [&](const fs::path& p, int64_t size, std::optional<int64_t> limit) {
        auto digest = DuplicateFinder::hashFile(p, size, limit, buffer);
        return digest ? QByteArray(reinterpret_cast<const char*>(digest->data()), digest->size())
                            .toHex()
                            .toStdString()
                      : std::string("none");
    };
    EXPECT_EQ(hex(f, 6, 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"); // "abc"
    EXPECT_EQ(hex(f, 6, std::nullopt), "bef57ec7f53a6d40beb640a780a639c83bc29ac8a9816f1fc6c5c6dcd93c4721");
    // Not the scanned size, a link, a folder, or nothing: no digest.
    for (const auto& p : {f, temp.path() / "link", temp.path(), temp.path() / "missing"})
        EXPECT_EQ(hex(p, p == f ? 5 : 6, std::nullopt), "none") << p;
}

TEST(DuplicateFinderTest, PartialPassBoundaryAndLargestWasteFirst) {
    TempDir temp;
    EXPECT_TRUE(findWithTimeLimit(scan(temp)).empty()); // no files, no groups

    const std::string k64(65'536, 'a');
    for (const char* name : {"exact1", "exact2"})
        writeFileText(temp.path() / name, k64);
    for (const char* name : {"over1", "over2"})
        writeFileText(temp.path() / name, k64 + "z");
    writeFileText(temp.path() / "over3", k64 + "y"); // same first 65,536 bytes, differs after
    for (const char* name : {"empty1", "empty2"})
        writeFileText(temp.path() / name, "");
    for (const char* name : {"t1", "t2", "t3"})
        writeFileText(temp.path() / "three" / name, std::string(1000, 't'));
    writeFileText(temp.path() / "unique", std::string(1000, 'u')); // same size as the three, other content
    DuplicateFinder::Stats stats;
    auto tree = scan(temp); // groups point into it: keep it alive
    auto groups = findWithTimeLimit(tree, &stats);

    ASSERT_EQ(groups.size(), 3u);
    // The 65,537-byte pair wastes one byte more than the 65,536-byte pair; three 1000-byte files waste 2000.
    EXPECT_EQ(groups[0].size, 65'537);
    EXPECT_EQ(groups[0].files.size(), 2u);
    EXPECT_EQ(groups[1].size, 65'536);
    EXPECT_EQ(groups[2].wastedBytes(), 2000);
    EXPECT_EQ(stats.candidates, 9); // empty files are never hashed
    EXPECT_EQ(stats.fullHashed, 3); // only the 65,537-byte files are read whole
    // Files keep the order in which the walk met them.
    std::vector<const FileNode*> walk;
    groups[2].files[0]->parent()->forEachNode([&](FileNode* n) {
        if (!n->isDirectory()) walk.push_back(n);
    });
    EXPECT_EQ(std::vector<const FileNode*>(groups[2].files.begin(), groups[2].files.end()), walk);
}

// A group's id follows from its content: found again in a new scan, or with a copy fewer, it keeps its
// id; groups of equal size and other bytes, or of other sizes, have ids of their own.
TEST(DuplicateFinderTest, GroupIdsFollowTheContent) {
    TempDir temp;
    for (const char* name : {"a1", "a2", "a3"})
        writeFileText(temp.path() / name, std::string(1000, 'a'));
    for (const char* name : {"b1", "b2"})
        writeFileText(temp.path() / name, std::string(1000, 'b'));
    for (const char* name : {"long1", "long2"})
        writeFileText(temp.path() / name, std::string(70'000, 'l'));
    auto ids = [&] {
        auto tree = scan(temp);
        std::map<std::string, QUuid> byNames;
        for (const auto& g : findWithTimeLimit(tree)) {
            std::set<std::string> files; // the walk's order is the folder's
            for (const FileNode* f : g.files)
                files.insert(std::string(f->name()));
            std::string key;
            for (const std::string& f : files)
                key += (key.empty() ? "" : " ") + f;
            byNames[key] = g.id;
        }
        return byNames;
    };
    const auto first = ids();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(std::set<QUuid>({first.at("a1 a2 a3"), first.at("b1 b2"), first.at("long1 long2")}).size(), 3u);
    EXPECT_EQ(ids(), first);

    fs::remove(temp.path() / "a2");
    const auto fewer = ids();
    ASSERT_TRUE(fewer.contains("a1 a3"));
    EXPECT_EQ(fewer.at("a1 a3"), first.at("a1 a2 a3"));
}

TEST(DuplicateFinderTest, FilesChangedSinceTheScanAreDropped) {
    TempDir temp;
    const std::string small(3000, 's'), big(200'000, 'b');
    for (const char* name : {"a", "b", "c", "d"})
        writeFileText(temp.path() / "small" / name, small);
    for (const char* name : {"a", "b", "c", "d"})
        writeFileText(temp.path() / "big" / name, big);
    auto tree = scan(temp);

    // After the scan: one removed, one replaced by a pipe nobody writes to, one by a link to an
    // identical file, one grown (never read past the scanned size).
    fs::remove(temp.path() / "small" / "a");
    fs::remove(temp.path() / "small" / "b");
    ASSERT_EQ(mkfifo((temp.path() / "small" / "b").c_str(), 0600), 0);
    fs::remove(temp.path() / "big" / "a");
    ASSERT_EQ(mkfifo((temp.path() / "big" / "a").c_str(), 0600), 0);
    fs::remove(temp.path() / "big" / "b");
    fs::create_symlink(temp.path() / "big" / "c", temp.path() / "big" / "b");
    std::ofstream(temp.path() / "big" / "d", std::ios::app) << "more";

    auto groups = findWithTimeLimit(tree);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(names(groups[0]), "c d");
    EXPECT_EQ(groups[0].files[0]->parent()->name(), "small");
}

TEST(DuplicateFinderTest, OneFileByTwoPathsCountsOnce) {
    // Files settled by the partial hash and files read whole are looked up at different points.
    for (size_t size : {size_t{5000}, size_t{70'000}}) {
        TempDir temp;
        writeFileText(temp.path() / "a" / "original", std::string(size, 'h'));
        fs::create_directories(temp.path() / "b");
        fs::create_hard_link(temp.path() / "a" / "original", temp.path() / "b" / "link");
        // Both paths at full size, not as the scanner leaves them: the search itself must see one file.
        TreeBuilder b(temp.str());
        b.fileAt("a/original", static_cast<int64_t>(size));
        b.fileAt("b/link", static_cast<int64_t>(size));
        EXPECT_TRUE(findWithTimeLimit(b.finish()).empty()) << size;

        writeFileText(temp.path() / "c" / "copy", std::string(size, 'h'));
        auto tree = scan(temp);
        auto groups = findWithTimeLimit(tree);
        ASSERT_EQ(groups.size(), 1u) << size;
        EXPECT_EQ(groups[0].files.size(), 2u) << size;
        EXPECT_EQ(groups[0].wastedBytes(), static_cast<int64_t>(size));
    }
}

// The search's reads leave the page cache as they found it: files another program had cached stay cached,
// and of files nobody had cached nothing stays, whatever their size (the screen, the partial and the whole
// hashes all read them). Pages the kernel reclaims meanwhile are judged by neither.
TEST(DuplicateFinderTest, TheSearchLeavesThePageCacheAsItFoundIt) {
    TempDir temp;
    std::vector<std::string> warm, cold;
    for (size_t size : {3'000u, 40'000u, 300'000u, 2u << 20, 8u << 20}) {
        const std::string tag = std::to_string(size);
        for (const char* copy : {"a", "b"}) {
            writeFileText(temp.path() / ("warm" + tag + copy), std::string(size, 'w'));
            writeFileText(temp.path() / ("cold" + tag + copy), std::string(size, 'c'));
            warm.push_back("warm" + tag + copy);
            cold.push_back("cold" + tag + copy);
        }
    }
    auto tree = scan(temp);
    // Dropping pages is a request: a page another core has just touched may stay. Ask again until every
    // cold file is out, so that a page the search is blamed for was not there before it.
    auto anyCached = [&] {
        return std::any_of(cold.begin(), cold.end(),
                           [&](const std::string& name) { return cachedShare(temp.path() / name) > 0.0; });
    };
    for (int attempt = 0; attempt < 20 && anyCached(); ++attempt)
        for (const auto& name : cold)
            setCached(temp.path() / name, false);
    if (anyCached()) GTEST_SKIP() << "this file system keeps pages in memory";
    for (const auto& name : warm)
        setCached(temp.path() / name, true);
    std::map<std::string, std::string> before;
    for (const auto& name : warm)
        before[name] = pageStates(temp.path() / name);
    for (const auto& name : cold)
        before[name] = pageStates(temp.path() / name);
    ASSERT_NE(before[warm.back()].find('c'), std::string::npos);

    DuplicateFinder::Stats stats;
    auto groups = findWithTimeLimit(tree, &stats);
    ASSERT_EQ(groups.size(), 10u);
    EXPECT_EQ(stats.fullHashed, 12); // the pairs longer than the partial hash
    for (const auto& [name, pages] : before)
        EXPECT_TRUE(keptAsFound(pages, pageStates(temp.path() / name))) << name << "\n"
                                                                        << pages << "\n"
                                                                        << pageStates(temp.path() / name);
}

// A stopped search opens no further file and returns no groups. Asked before it starts, it reads nothing;
// stopped while it reads the twins whole, it drops what it had settled meanwhile (the small pair, on a
// worker of its own): the groups of a cut search would be wrong.
TEST(DuplicateFinderTest, AStoppedSearchOpensNoFurtherFileAndReturnsNoGroups) {
    TempDir temp;
    constexpr int64_t size = int64_t{1} << 30;
    writeSparseTwins(temp, "big", size);
    for (const char* name : {"small/a.txt", "small/b.txt"})
        writeFileText(temp.path() / name, "the same words");
    auto tree = scan(temp);

    std::stop_source before;
    before.request_stop();
    int64_t start = bytesReadByProcess();
    ASSERT_GE(start, 0);
    EXPECT_TRUE(DuplicateFinder::find(tree, nullptr, nullptr, 3, before.get_token()).empty());
    EXPECT_LT(bytesReadByProcess() - start, DuplicatePrefilter::kBytes); // only /proc/self/io itself

    std::stop_source during;
    start = bytesReadByProcess();
    auto search = std::async(std::launch::async, [&] {
        return DuplicateFinder::find(tree, nullptr, nullptr, 3, during.get_token());
    });
    for (int i = 0; i < 30000 && bytesReadByProcess() - start <= kTwinsBeingHashed; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    during.request_stop();
    EXPECT_TRUE(search.get().empty());
    EXPECT_LT(bytesReadByProcess() - start, size); // the stop came while the twins were read
}

// A search restricted to a Trash folder, or to a folder inside one, offers nothing of it: staging a copy
// would move it within the Trash and lose its way back.
TEST(DuplicateFinderTest, ASearchInsideATrashFolderFindsNothing) {
    TempDir temp;
    const fs::path trash = temp.path() / "home/.local/share/Trash";
    fs::create_directories(trash / "files/old");
    fs::create_directories(temp.path() / "home/keep");
    for (const char* name : {"files/old/a.bin", "files/old/b.bin"})
        writeFileText(trash / name, std::string(70'000, 't'));
    for (const char* name : {"keep/c.bin", "keep/d.bin"})
        writeFileText(temp.path() / "home" / name, std::string(70'000, 'k'));
    auto tree = scan(temp);
    tree->setTrashFolders(platform::TrashFolders(trash.string(), {}, getuid()));

    auto everywhere = findWithTimeLimit(tree);
    ASSERT_EQ(everywhere.size(), 1u);
    EXPECT_EQ(everywhere[0].files.size(), 2u);
    EXPECT_EQ(everywhere[0].files[0]->name().substr(1), ".bin");
    EXPECT_EQ(everywhere[0].files[0]->parent()->name(), "keep");
    for (const char* inside : {"home/.local/share/Trash", "home/.local/share/Trash/files/old"}) {
        const FileNode* folder = findNode(tree->root(), inside);
        ASSERT_NE(folder, nullptr) << inside;
        auto groups =
            std::async(std::launch::async, [&] { return DuplicateFinder::find(tree, folder); }).get();
        EXPECT_TRUE(groups.empty()) << inside;
    }
}

TEST(DuplicateFinderTest, FilesDeeperThanThePathLimitAreCompared) {
    TempDir temp;
    const std::string deepest = makeFolderChain(temp.str(), 22, std::string(200, 'n'), [](int fd, int level) {
        if (level < 21) return;
        writeFileAt(fd, "same1", 70'000, 'q');
        writeFileAt(fd, "same2", 70'000, 'q');
    });
    ASSERT_GT(deepest.size(), size_t{PATH_MAX});
    auto tree = scan(temp);
    auto groups = findWithTimeLimit(tree);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].files.size(), 4u);
    std::vector<unsigned char> buffer(1 << 16);
    EXPECT_TRUE(DuplicateFinder::hashFile(deepest + "/same1", 70'000, std::nullopt, buffer));
}

// The cheap screen in front of the hashing lets through every file that has a same-sized twin in its first
// bytes, whatever the size around its block, and only those.
TEST(DuplicateFinderTest, TheScreenKeepsEveryEqualPairAndRulesOutTheRest) {
    TempDir temp;
    const int64_t block = DuplicatePrefilter::kBytes;
    const struct {
        int64_t size;
        int64_t differsAt; // -1: the pair is equal
        bool passesScreen;
    } pairs[] = {
        {1, -1, true},
        {block - 1, -1, true},
        {block, -1, true},
        {block + 1, -1, true},
        {2 * block, -1, true},
        {65'537, -1, true},
        {block - 2, block - 3, false}, // screened whole: the last byte tells them apart
        {block + 4, block, true},      // equal in the screened bytes, told apart by the hash
        {5000, 0, false},
    };
    size_t expectedGroups = 0;
    int64_t expectedScreenPasses = 0;
    for (const auto& p : pairs) {
        std::string content(static_cast<size_t>(p.size), 'q');
        for (size_t i = 0; i < content.size(); i += 7)
            content[i] = static_cast<char>('a' + i % 26);
        const fs::path folder = temp.path() / std::to_string(p.size);
        writeFileText(folder / "one", content);
        if (p.differsAt >= 0) content[static_cast<size_t>(p.differsAt)] ^= 1;
        writeFileText(folder / "two", content);
        expectedGroups += p.differsAt < 0;
        expectedScreenPasses += p.passesScreen ? 2 : 0;
    }
    // Three equal files, one of which grows after the scan: the screen reads it whole and drops it.
    for (const char* name : {"a", "b", "c"})
        writeFileText(temp.path() / "grows" / name, std::string(3000, 'g'));

    auto tree = scan(temp);
    std::ofstream(temp.path() / "grows" / "c", std::ios::app) << "more";
    DuplicateFinder::Stats stats;
    auto groups = findWithTimeLimit(tree, &stats);

    EXPECT_EQ(stats.candidates, 2 * static_cast<int64_t>(std::size(pairs)) + 3);
    EXPECT_EQ(stats.partialHashed, expectedScreenPasses + 2);
    ASSERT_EQ(groups.size(), expectedGroups + 1);
    for (const auto& g : groups) {
        std::set<std::string> members;
        for (const FileNode* f : g.files)
            members.insert(f->path());
        const fs::path folder = temp.path() / (g.size == 3000 ? "grows" : std::to_string(g.size));
        EXPECT_EQ(members, (g.size == 3000 ? std::set{(folder / "a").string(), (folder / "b").string()}
                                           : std::set{(folder / "one").string(), (folder / "two").string()}))
            << g.size;
    }
}

// The walk is shared out between threads by subtree (a folder of more than a couple of thousand entries is
// walked where it stands, the smaller ones below it on their own); a group still lists its files in the
// order of one pre-order walk, and every group is found.
TEST(DuplicateFinderTest, GroupsKeepTheWalkOrderWhereverTheirFilesLie) {
    TempDir temp;
    for (int i = 0; i < 2100; ++i) // empty: never candidates, but they make "big" too large to share out
        writeFileText(temp.path() / "big" / ("empty" + std::to_string(i)), "");
    const std::vector<std::string> places = {"top",       "big/direct",  "big/sub/deep", "big/sub/x/deeper",
                                             "small/one", "small/two/x", "other/a/b/c"};
    for (size_t group = 0; group < 3; ++group)
        for (const auto& place : places)
            writeFileText(temp.path() / (place + std::to_string(group)), std::string(1000 + group, 'd'));
    auto tree = scan(temp);
    auto groups = findWithTimeLimit(tree);
    ASSERT_EQ(groups.size(), 3u);
    for (const auto& g : groups) {
        std::vector<const FileNode*> walk;
        tree->root()->forEachNode([&](FileNode* n) {
            if (!n->isDirectory() && n->logicalSize == g.size) walk.push_back(n);
        });
        ASSERT_EQ(walk.size(), places.size());
        EXPECT_EQ(std::vector<const FileNode*>(g.files.begin(), g.files.end()), walk) << g.size;
    }
}
