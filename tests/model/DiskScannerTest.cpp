#include "model/DiskScanner.h"
#include "tests/support/DeepFolders.h"
#include "tests/support/FaultyDirectoryReader.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeChecks.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>

#include <filesystem>
#include <limits>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::shared_ptr<ScanTree> scanWith(const std::string& path, int threads,
                                   std::shared_ptr<platform::DirectoryReader> reader = nullptr) {
    DiskScanner scanner(std::move(reader));
    scanner.setThreadCount(threads);
    return scanner.scan(path);
}

int64_t blocksOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st.st_blocks * 512;
}

size_t openDescriptors() {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// The node at the end of a chain of folders named `name`, `levels` deep below `folder`.
const FileNode* chainEnd(const FileNode* folder, const std::string& name, int levels) {
    for (int i = 0; i < levels && folder; ++i)
        folder = findNode(folder, name);
    return folder;
}

// Equal-sized children keep the order in which the file system hands the names out.
void expectStableTies(const FileNode* folder, const fs::path& onDisk) {
    std::map<std::string, size_t, std::less<>> rank;
    DIR* dir = ::opendir(onDisk.c_str());
    while (dirent* e = ::readdir(dir))
        rank.emplace(e->d_name, rank.size());
    ::closedir(dir);
    auto kids = folder->children();
    for (size_t i = 1; i < kids.size(); ++i)
        if (kids[i - 1]->sizeOnDisk == kids[i]->sizeOnDisk) {
            EXPECT_LT(rank.find(kids[i - 1]->name())->second, rank.find(kids[i]->name())->second)
                << kids[i]->name();
        }
}

} // namespace

TEST(DiskScanner, BuildsTheTreeOfAFolderWithSizesStampsAndCategories) {
    TempDir dir;
    dir.writeFile("a/one.txt", 1000);
    dir.writeFile("a/b/c/deep.mp4", 20000);
    dir.makeDir("a/b/empty");
    dir.writeFile("zero.bin", 0);
    timespec deep[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}},
             empty[2] = {{1'650'000'000, 0}, {1'650'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir.path() / "a/b/c/deep.mp4").c_str(), deep, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir.path() / "a/b/empty").c_str(), empty, 0), 0);

    DiskScanner scanner;
    auto tree = scanner.scan(dir.str() + "/");
    const FileNode* root = tree->root();
    EXPECT_EQ(root->rootPath(), dir.str());
    EXPECT_EQ(root->fileCount(), 3);
    EXPECT_EQ(root->folderCount(), 4);
    expectRolledUp(root);
    for (const char* relative : {"a/one.txt", "a/b/c/deep.mp4", "zero.bin"}) {
        const FileNode* node = findNode(root, relative);
        ASSERT_NE(node, nullptr) << relative;
        struct stat st {};
        ::lstat((dir.path() / relative).c_str(), &st);
        EXPECT_EQ(node->logicalSize, st.st_size) << relative;
        EXPECT_EQ(node->sizeOnDisk, st.st_blocks * 512) << relative;
        EXPECT_DOUBLE_EQ(node->modifiedStamp, st.st_mtim.tv_sec + st.st_mtim.tv_nsec / 1e9) << relative;
        EXPECT_EQ(node->path(), (dir.path() / relative).string());
    }
    EXPECT_EQ(findNode(root, "a/b/c/deep.mp4")->category, FileCategory::video);
    // A folder takes its newest child's time; an empty one keeps its own.
    EXPECT_DOUBLE_EQ(findNode(root, "a/b/c")->modifiedStamp, 1'700'000'000);
    EXPECT_DOUBLE_EQ(findNode(root, "a/b/empty")->modifiedStamp, 1'650'000'000);
    EXPECT_EQ(scanner.progress().filesScanned, root->fileCount());
    EXPECT_EQ(scanner.progress().bytesScanned, root->sizeOnDisk);
}

TEST(DiskScanner, LinksAreNeverFollowedAndHardLinksCountOnceForTheSmallestPath) {
    TempDir dir, elsewhere;
    elsewhere.writeFile("big/payload.bin", 1 << 20);
    for (int i = 0; i < 40; ++i)
        dir.writeFile("d" + std::to_string(i % 7) + "/sub" + std::to_string(i % 3) + "/f" + std::to_string(i),
                      static_cast<size_t>(i) * 997);
    fs::create_directory_symlink(elsewhere.path() / "big", dir.path() / "to-folder");
    fs::create_symlink(elsewhere.path() / "big/payload.bin", dir.path() / "to-file");
    fs::create_symlink(dir.path() / "missing", dir.path() / "dangling");
    dir.writeFile("h/b/data.bin", 40000);
    fs::create_directories(dir.path() / "h/a/z");
    fs::create_directories(dir.path() / "h/c");
    fs::create_hard_link(dir.path() / "h/b/data.bin", dir.path() / "h/a/z/link.bin");
    fs::create_hard_link(dir.path() / "h/b/data.bin", dir.path() / "h/c/copy.bin");
    dir.writeFile("h/solo.bin", 8000); // linked from outside the scan only: its blocks count here
    fs::create_hard_link(dir.path() / "h/solo.bin", elsewhere.path() / "outside.bin");
    const int64_t blocks = blocksOf(dir.path() / "h/b/data.bin"), solo = blocksOf(dir.path() / "h/solo.bin");

    for (int round = 0; round < 2; ++round)
        for (int threads : {1, 3, 8}) {
            auto tree = scanWith(dir.str(), threads);
            const FileNode* root = tree->root();
            EXPECT_LT(root->sizeOnDisk, 1 << 20) << threads;
            for (const char* link : {"to-folder", "to-file", "dangling"})
                EXPECT_EQ(findNode(root, link), nullptr);
            const FileNode* h = findNode(root, "h");
            EXPECT_EQ(findNode(h, "a/z/link.bin")->sizeOnDisk, blocks);
            EXPECT_EQ(findNode(h, "b/data.bin")->sizeOnDisk, 0);
            EXPECT_EQ(findNode(h, "c/copy.bin")->sizeOnDisk, 0);
            EXPECT_EQ(h->sizeOnDisk, blocks + solo);
            EXPECT_EQ(h->logicalSize, 3 * 40000 + 8000);
            expectRolledUp(root);
        }
    // The size of one item counts files at any depth, without following links.
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "d0").string()),
              findNode(scanWith(dir.str(), 2)->root(), "d0")->sizeOnDisk);
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "h/solo.bin").string()), solo);
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "to-folder").string()), 0);
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "missing").string()), 0);
    // Asked to stop (its owner went), it reads no further folder.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "d0").string(), stop.get_token()), 0);
}

// The commonest hard link: a file with exactly two names, both in the scan. One name keeps the
// blocks, the other counts 0, and every folder above counts them once.
TEST(DiskScanner, AFileWithTwoNamesInsideTheScanCountsOnce) {
    TempDir dir;
    dir.writeFile("one/data.bin", 40000);
    fs::create_directories(dir.path() / "two");
    fs::create_hard_link(dir.path() / "one/data.bin", dir.path() / "two/data.bin");
    const int64_t blocks = blocksOf(dir.path() / "one/data.bin");
    ASSERT_GT(blocks, 0);
    for (int threads : {1, 4}) {
        auto tree = scanWith(dir.str(), threads);
        const FileNode* root = tree->root();
        EXPECT_EQ(findNode(root, "one/data.bin")->sizeOnDisk, blocks) << threads;
        EXPECT_EQ(findNode(root, "two/data.bin")->sizeOnDisk, 0) << threads;
        EXPECT_EQ(root->sizeOnDisk, blocks) << threads;
        EXPECT_EQ(root->logicalSize, 2 * 40000) << threads;
    }
}

TEST(DiskScanner, FilesInsideAppBundlesAreApplications) {
    TempDir dir;
    const std::pair<const char*, FileCategory> files[] = {
        {"Foo.app/Contents/icon.png", FileCategory::application},
        {"MyApp.App/notes.txt", FileCategory::application},
        {"app/picture.png", FileCategory::image},
        {"Tool.app", FileCategory::other}, // a file named like a bundle
        {"Bundle.APP/Contents/data.json", FileCategory::application}};
    for (auto [path, category] : files)
        dir.writeFile(path, 10);
    auto tree = scanWith(dir.str(), 2);
    for (auto [path, category] : files)
        EXPECT_EQ(findNode(tree->root(), path)->category, category) << path;
    // A scan that starts at a bundle classifies everything in it as an application.
    auto bundle = scanWith((dir.path() / "Bundle.APP").string(), 2);
    EXPECT_EQ(findNode(bundle->root(), "Contents/data.json")->category, FileCategory::application);
}

TEST(DiskScanner, NonUtf8NamesKeepBytesAndPathsThatReachTheFile) {
    TempDir dir;
    const std::string file = "caf\xE9.txt", inner = "\xFF\xFE-dir/inner\x80.bin";
    dir.writeFile(file, 123);
    dir.writeFile(inner, 456);
    auto tree = scanWith(dir.str(), 2);
    for (auto [relative, size] : {std::pair{file, 123}, {inner, 456}}) {
        const FileNode* node = findNode(tree->root(), relative);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->logicalSize, size);
        struct stat st {};
        EXPECT_EQ(::lstat(node->path().c_str(), &st), 0);
    }
}

TEST(DiskScanner, LargeFolderIsSharedOutAndComesBackWhole) {
    TempDir dir;
    std::set<std::string> names;
    for (int i = 0; i < 3200; ++i) // equal sizes galore, for the order of ties
        dir.writeFile("big/" + *names.insert("entry-" + std::to_string(i)).first,
                      static_cast<size_t>(i % 5) * 1500);
    for (int i = 0; i < 10; ++i)
        dir.writeFile("big/" + *names.insert("sub" + std::to_string(i)).first + "/in.txt", 100);
    auto reference = scanWith(dir.str(), 1);
    auto shortReads = std::make_shared<FaultyDirectoryReader>();
    shortReads->maxBytesPerRead = 4096; // folders start inline and turn large part-way
    // A worker taking a chunk of the folder's statx work opens the folder again.
    std::atomic<int> bigOpens = 0;
    shortReads->onOpen = [&, bigPath = (dir.path() / "big").string()](const std::string& path) {
        if (path == bigPath) ++bigOpens;
    };
    for (auto reader : std::vector<std::shared_ptr<platform::DirectoryReader>>{nullptr, shortReads})
        for (int threads : {2, 8}) {
            bigOpens = 0;
            auto tree = scanWith(dir.str(), threads, reader);
            if (reader) {
                EXPECT_GT(bigOpens, 1) << "read in small pieces, the folder was never shared out";
            }
            const FileNode* big = findNode(tree->root(), "big");
            std::multiset<std::string> seen;
            for (const FileNode* child : big->children())
                seen.emplace(child->name());
            EXPECT_EQ(seen, std::multiset<std::string>(names.begin(), names.end()));
            EXPECT_EQ(big->fileCount(), 3210);
            EXPECT_EQ(big->logicalSize, reference->root()->logicalSize);
            EXPECT_EQ(tree->root()->sizeOnDisk, reference->root()->sizeOnDisk);
            expectRolledUp(tree->root());
            expectStableTies(big, dir.path() / "big");
        }
}

// Folders of files are rolled up as they are read, but a hard link's sizes settle only after the walk:
// a folder holding the second name, small or large enough to be shared out, still counts it as 0.
TEST(DiskScanner, FoldersOfFilesHoldingASecondNameCountItOnce) {
    TempDir dir;
    for (int i = 0; i < 3000; ++i)
        dir.writeFile("big/f" + std::to_string(i), 100);
    dir.writeFile("small/f", 100);
    dir.writeFile("a/data.bin", 40000);
    fs::create_hard_link(dir.path() / "a/data.bin", dir.path() / "big/data.bin");
    fs::create_hard_link(dir.path() / "a/data.bin", dir.path() / "small/data.bin");
    const int64_t blocks = blocksOf(dir.path() / "a/data.bin"), small = blocksOf(dir.path() / "small/f");
    ASSERT_GT(blocks, small);
    auto shortReads = std::make_shared<FaultyDirectoryReader>();
    shortReads->maxBytesPerRead = 4096;
    for (auto reader : std::vector<std::shared_ptr<platform::DirectoryReader>>{nullptr, shortReads})
        for (int threads : {1, 4}) {
            auto tree = scanWith(dir.str(), threads, reader);
            const FileNode* root = tree->root();
            EXPECT_EQ(findNode(root, "big")->sizeOnDisk, 3000 * small) << threads;
            EXPECT_EQ(findNode(root, "big")->children().back()->name(), "data.bin") << threads;
            EXPECT_EQ(findNode(root, "small")->sizeOnDisk, small) << threads;
            EXPECT_EQ(root->sizeOnDisk, blocks + 3001 * small) << threads;
            expectRolledUp(root);
        }
}

// The folders below a read folder are handed out one at a time from a single job: among files, next
// to an app bundle, each is read once, with its own place inside or outside the bundle.
TEST(DiskScanner, EverySubfolderAmongFilesIsReadOnce) {
    TempDir dir;
    int folders = 0;
    for (int i = 0; i < 300; ++i) {
        if (i % 3 == 0) {
            dir.writeFile("wide/f" + std::to_string(i), 10);
        } else {
            dir.writeFile("wide/d" + std::to_string(i) + "/x.bin", 100);
            ++folders;
        }
    }
    dir.writeFile("wide/Tool.app/bin/run", 10);
    dir.writeFile("wide/zz/bin/run", 10);
    for (int threads : {1, 3, 8}) {
        auto tree = scanWith(dir.str(), threads);
        const FileNode* wide = findNode(tree->root(), "wide");
        ASSERT_NE(wide, nullptr);
        EXPECT_EQ(wide->folderCount(), folders + 4) << threads << " threads";
        EXPECT_EQ(wide->fileCount(), 100 + folders + 2) << threads << " threads";
        for (int i = 1; i < 300; i += 3)
            EXPECT_NE(findNode(wide, "d" + std::to_string(i) + "/x.bin"), nullptr) << i;
        EXPECT_EQ(findNode(wide, "Tool.app/bin/run")->category, FileCategory::application);
        EXPECT_NE(findNode(wide, "zz/bin/run")->category, FileCategory::application);
        expectRolledUp(tree->root());
    }
}

// Folders that cannot be opened, for whatever reason, stay empty, a read failing part-way keeps what was
// read; all are counted, with eight different samples.
TEST(DiskScannerFaults, UnreadableFoldersAreKeptCountedAndSampled) {
    TempDir dir;
    for (const char* f : {"locked/secret.txt", "onlyDenied/x/a.txt", "gone/c.txt", "open/d.txt"})
        dir.writeFile(f, 5000);
    for (int i = 0; i < 100; ++i)
        dir.writeFile("many/file" + std::to_string(i), 10);
    auto reader = std::make_shared<FaultyDirectoryReader>();
    reader->maxBytesPerRead = 1024;
    reader->laterReadErrors[dir.str() + "/many"] = EACCES;
    reader->openErrors[dir.str() + "/gone"] = ENOENT; // vanished since it was listed: counted too
    std::set<std::string> unreadable{dir.str() + "/locked", dir.str() + "/onlyDenied/x"};
    for (int i = 0; i < 6; ++i)
        unreadable.insert(dir.makeDir("more/f" + std::to_string(i)).string());
    for (const auto& path : unreadable)
        reader->openErrors[path] = path.ends_with("/x") ? EPERM : EACCES;
    unreadable.insert(dir.str() + "/many");
    unreadable.insert(dir.str() + "/gone");

    DiskScanner scanner(reader);
    auto tree = scanner.scan(dir.str());
    const FileNode* root = tree->root();
    EXPECT_TRUE(findNode(root, "locked")->children().empty());
    EXPECT_EQ(findNode(root, "onlyDenied")->folderCount(), 1);
    EXPECT_TRUE(findNode(root, "gone")->children().empty());
    EXPECT_GT(findNode(root, "many")->children().size(), 0u);
    EXPECT_LT(findNode(root, "many")->children().size(), 100u);
    expectRolledUp(root);
    EXPECT_EQ(scanner.unreadableCount(), 10);
    std::vector<std::string> samples = scanner.unreadableSamples();
    EXPECT_EQ(std::set<std::string>(samples.begin(), samples.end()).size(), 8u);
    for (const auto& s : samples)
        EXPECT_TRUE(unreadable.count(s)) << s;

    // A denied root is counted once with its own path; a missing root counts nothing.
    auto rootDenied = std::make_shared<FaultyDirectoryReader>();
    rootDenied->openErrors[dir.str()] = EACCES;
    DiskScanner second(rootDenied);
    EXPECT_TRUE(second.scan(dir.str())->root()->children().empty());
    EXPECT_EQ(second.unreadableSamples(), std::vector<std::string>{dir.str()});
    DiskScanner missing;
    EXPECT_TRUE(missing.scan(dir.str() + "/nowhere")->root()->children().empty());
    EXPECT_EQ(missing.unreadableCount(), 0);
}

TEST(DiskScanner, CancellationDrainsAndReturnsARolledUpPartialTree) {
    TempDir dir;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 4; ++j)
            dir.writeFile("f" + std::to_string(i) + "/g/file" + std::to_string(j), 2000);
    auto reader = std::make_shared<FaultyDirectoryReader>();
    DiskScanner scanner(reader);
    std::atomic<int> opened = 0;
    reader->onOpen = [&](const std::string&) {
        if (++opened == 6) scanner.cancel();
    };
    auto tree = scanner.scan(dir.str());
    EXPECT_LT(tree->root()->fileCount(), 120);
    EXPECT_LT(opened.load(), 20); // drained, not walked
    expectRolledUp(tree->root());

    DiskScanner early; // cancelled before it starts: an empty, rolled-up root
    early.cancel();
    EXPECT_NE(early.scan(dir.str())->root()->typeSizes(), nullptr);
}

TEST(DiskScanner, MountsOfVirtualFileSystemsAreNotDescendedEvenThroughALink) {
    TempDir dir, links;
    dir.writeFile("fake-tmpfs/hidden.txt", 10);
    dir.writeFile("real-ext4/shown.txt", 10);
    auto reader = std::make_shared<FaultyDirectoryReader>();
    reader->extraMounts.push_back({dir.str() + "/fake-tmpfs", "tmpfs", "tmpfs", 0});
    reader->extraMounts.push_back({dir.str() + "/real-ext4", "ext4", "/dev/sdz1", 0});
    fs::create_directory_symlink(dir.path(), links.path() / "alias");
    for (const std::string& start : {dir.str(), (links.path() / "alias").string()}) {
        auto tree = scanWith(start, 2, reader);
        EXPECT_EQ(findNode(tree->root(), "fake-tmpfs"), nullptr) << start;
        EXPECT_NE(findNode(tree->root(), "real-ext4/shown.txt"), nullptr) << start;
    }
}

// Folders below a path longer than PATH_MAX are read like any other: nothing is left out or counted as
// unreadable, and the size of one item reaches them too.
TEST(DiskScanner, FoldersDeeperThanThePathLimitAreRead) {
    TempDir dir;
    const std::string name(200, 'd');
    const int levels = 24;
    int64_t files = 0, bytes = 0;
    const std::string deepest = makeFolderChain(dir.str(), levels, name, [&](int fd, int level) {
        writeFileAt(fd, "f", static_cast<size_t>(level) * 100);
        ASSERT_EQ(mkdirat(fd, "side", 0755), 0);
        int side = openat(fd, "side", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        writeFileAt(side, "g", 10);
        close(side);
        files += 2;
        bytes += level * 100 + 10;
    });
    ASSERT_GT(deepest.size(), size_t{PATH_MAX});

    for (int threads : {1, 4}) {
        DiskScanner scanner;
        scanner.setThreadCount(threads);
        auto tree = scanner.scan(dir.str());
        const FileNode* root = tree->root();
        EXPECT_EQ(root->fileCount(), files) << threads;
        EXPECT_EQ(root->folderCount(), 2 * levels) << threads;
        EXPECT_EQ(root->logicalSize, bytes) << threads;
        EXPECT_EQ(scanner.unreadableCount(), 0) << threads;
        expectRolledUp(root);
        const FileNode* end = chainEnd(root, name, levels);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(end->path(), deepest);
        EXPECT_EQ(findNode(end, "side/g")->logicalSize, 10);

        EXPECT_EQ(DiskScanner::sizeOfItem(dir.str()), root->sizeOnDisk);
        EXPECT_EQ(DiskScanner::sizeOfItem(deepest), end->sizeOnDisk);
        EXPECT_EQ(DiskScanner::sizeOfItem(deepest + "/f"), findNode(end, "f")->sizeOnDisk);
        EXPECT_GT(findNode(end, "f")->sizeOnDisk, 0);
    }
}

// Thousands of levels, each with a side folder waiting while the chain goes on: the walk cannot keep a
// descriptor per level, so past its budget folders open from a kept ancestor by a longer path.
TEST(DiskScanner, AVeryDeepWalkKeepsFewDescriptorsOpen) {
    TempDir dir;
    const int levels = 2100; // "/d" each: over 4,200 bytes
    makeFolderChain(dir.str(), levels, "d", [&](int fd, int) {
        writeFileAt(fd, "f", 3);
        ASSERT_EQ(mkdirat(fd, "e", 0755), 0);
        int side = openat(fd, "e", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        writeFileAt(side, "g", 5);
        close(side);
    });
    const size_t before = openDescriptors();
    for (auto [threads, limit] : {std::pair{1, 4}, {4, 16}, {8, 0}}) {
        auto reader = std::make_shared<FaultyDirectoryReader>();
        std::atomic<size_t> most = 0;
        reader->onOpen = [&](const std::string&) {
            size_t now = openDescriptors();
            for (size_t seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
            }
        };
        DiskScanner scanner(reader);
        scanner.setThreadCount(threads);
        scanner.setOpenFolderLimit(limit);
        auto tree = scanner.scan(dir.str());
        const FileNode* root = tree->root();
        EXPECT_EQ(root->fileCount(), 2 * levels) << threads;
        EXPECT_EQ(root->folderCount(), 2 * levels) << threads;
        EXPECT_EQ(root->logicalSize, 8 * levels) << threads;
        EXPECT_EQ(scanner.unreadableCount(), 0) << threads;
        ASSERT_NE(chainEnd(root, "d", levels), nullptr) << threads;
        EXPECT_EQ(findNode(chainEnd(root, "d", levels), "e/g")->logicalSize, 5);
        // Kept folders, plus per worker the folder it reads and one listing of /proc/self/fd.
        const size_t budget = static_cast<size_t>(limit > 0 ? limit : 256);
        EXPECT_LE(most.load(), before + budget + 2 * static_cast<size_t>(threads)) << threads;
    }
}

// Sizes the file system may report (a sparse file of 2^63 - 1 bytes on xfs, btrfs or tmpfs) next to any
// other file: sums stop at the largest value, so totals stay positive and the order by size holds.
TEST(DiskScanner, SumsOfHugeSizesStopAtTheLargest) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    TreeBuilder b("/v");
    b.fileAt("huge/sparse.img", kMax);
    b.fileAt("huge/other.txt", 4096);
    b.fileAt("huge/more/clip.mp4", kMax);
    b.fileAt("small/a.txt", 10);
    auto built = b.finish();
    const FileNode* huge = findNode(built->root(), "huge");
    EXPECT_EQ(huge->sizeOnDisk, kMax);
    EXPECT_EQ(huge->logicalSize, kMax);
    EXPECT_EQ(built->root()->sizeOnDisk, kMax);
    EXPECT_EQ(built->root()->children()[0], huge);
    expectRolledUp(built->root());

    // The same through a scan, where some file system takes such a length (tmpfs does).
    for (std::string folder : {std::filesystem::temp_directory_path().string(), std::string("/dev/shm")}) {
        std::string pattern = folder + "/brenwick-sparse-XXXXXX";
        if (!mkdtemp(pattern.data())) continue;
        struct Remove {
            std::string path;
            ~Remove() {
                std::error_code ec;
                std::filesystem::remove_all(path, ec);
            }
        } remove{pattern};
        int fd = ::open((pattern + "/sparse.img").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        bool sparse = fd >= 0 && ftruncate(fd, kMax) == 0;
        if (fd >= 0) close(fd);
        if (!sparse) continue;
        writeFileText(pattern + "/other.txt", "more");
        DiskScanner scanner;
        auto tree = scanner.scan(pattern);
        EXPECT_EQ(tree->root()->logicalSize, kMax) << folder;
        EXPECT_EQ(tree->root()->fileCount(), 2) << folder;
        expectRolledUp(tree->root());
        return;
    }
    GTEST_LOG_(INFO) << "no file system here takes a file of 2^63 - 1 bytes; only the built tree was checked";
}
