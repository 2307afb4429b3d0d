#include "model/DiskScanner.h"
#include "tests/support/FaultyDirectoryReader.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeChecks.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
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

struct stat lstatOf(const fs::path& p) {
    struct stat st{};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st;
}

void setModified(const fs::path& p, time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Names of a folder in the order the file system hands them out.
std::vector<std::string> readingOrder(const fs::path& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    while (dirent* e = ::readdir(dir))
        if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(dir);
    return names;
}

// Equal-sized children must keep the file system's reading order.
void expectStableTies(const FileNode* folder, const fs::path& onDisk) {
    std::map<std::string, size_t, std::less<>> rankOf;
    for (const std::string& name : readingOrder(onDisk)) rankOf.emplace(name, rankOf.size());
    auto rank = [&](std::string_view name) { return rankOf.find(name)->second; };
    auto kids = folder->children();
    for (size_t i = 1; i < kids.size(); ++i)
        if (kids[i - 1]->sizeOnDisk == kids[i]->sizeOnDisk) {
            EXPECT_LT(rank(kids[i - 1]->name()), rank(kids[i]->name())) << kids[i]->name();
        }
}

int64_t duBytes(const fs::path& p) {
    std::string command = "du -s -B1 '" + p.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    long long bytes = -1;
    if (pipe) {
        if (std::fscanf(pipe, "%lld", &bytes) != 1) bytes = -1;
        ::pclose(pipe);
    }
    return bytes;
}

// Blocks that du counts and a scan does not: the folders' own and the symbolic links'.
int64_t folderAndLinkBytes(const fs::path& root) {
    int64_t bytes = lstatOf(root).st_blocks * 512;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_symlink() || e.is_directory()) bytes += lstatOf(e.path()).st_blocks * 512;
    return bytes;
}

} // namespace

TEST(DiskScanner, BuildsTheTreeOfAFolderWithSizesStampsAndCategories) {
    TempDir dir;
    dir.writeFile("a/one.txt", 1000);
    dir.writeFile("a/two.jpg", 5000);
    dir.writeFile("a/b/c/deep.mp4", 20000);
    dir.makeDir("a/b/empty");
    dir.writeFile("top.log", 100);
    dir.writeFile("zero.bin", 0);
    for (int i = 0; i < 12; ++i) dir.writeFile("ties/same" + std::to_string(i) + ".txt", 3000);
    setModified(dir.path() / "a/b/c/deep.mp4", 1'700'000'000);
    setModified(dir.path() / "a/b/c", 1'600'000'000);
    setModified(dir.path() / "a/b/empty", 1'650'000'000);

    DiskScanner scanner;
    auto tree = scanner.scan(dir.str() + "/");
    const FileNode* root = tree->root();
    EXPECT_EQ(root->rootPath(), dir.str());
    EXPECT_EQ(root->fileCount(), 17);
    EXPECT_EQ(root->folderCount(), 5);
    expectRolledUp(root);
    expectStableTies(findNode(root, "ties"), dir.path() / "ties");

    for (const char* relative : {"a/one.txt", "a/two.jpg", "a/b/c/deep.mp4", "top.log", "zero.bin"}) {
        const FileNode* node = findNode(root, relative);
        ASSERT_NE(node, nullptr) << relative;
        struct stat st = lstatOf(dir.path() / relative);
        EXPECT_EQ(node->logicalSize, st.st_size) << relative;
        EXPECT_EQ(node->sizeOnDisk, st.st_blocks * 512) << relative;
        EXPECT_DOUBLE_EQ(node->modifiedStamp, st.st_mtim.tv_sec + st.st_mtim.tv_nsec / 1e9) << relative;
        EXPECT_EQ(node->path(), (dir.path() / relative).string());
    }
    EXPECT_EQ(findNode(root, "a/b/c/deep.mp4")->category, FileCategory::video);
    EXPECT_EQ(findNode(root, "a")->category, FileCategory::other);

    // A folder takes its newest child's time; an empty one keeps its own.
    EXPECT_DOUBLE_EQ(findNode(root, "a/b/c")->modifiedStamp, 1'700'000'000);
    EXPECT_DOUBLE_EQ(findNode(root, "a/b/empty")->modifiedStamp, 1'650'000'000);
    EXPECT_GT(root->modifiedStamp, 0);

    DiskScanner::Progress progress = scanner.progress();
    EXPECT_EQ(progress.filesScanned, root->fileCount());
    EXPECT_EQ(progress.bytesScanned, root->sizeOnDisk);
    EXPECT_FALSE(progress.currentPath.empty());
    EXPECT_EQ(scanner.unreadableCount(), 0);
}

TEST(DiskScanner, TotalsAgreeWithDuWithOneWorkerAndWithMany) {
    TempDir dir;
    for (int i = 0; i < 40; ++i)
        dir.writeFile("d" + std::to_string(i % 7) + "/sub" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".dat",
                      static_cast<size_t>(i) * 997);
    fs::create_symlink("d0", dir.path() / "link-to-d0");
    fs::create_hard_link(dir.path() / "d1/sub1/f1.dat", dir.path() / "d2/hard.dat");
    int64_t expected = duBytes(dir.path()) - folderAndLinkBytes(dir.path());
    ASSERT_GT(expected, 0);
    for (int threads : {1, 8}) EXPECT_EQ(scanWith(dir.str(), threads)->root()->sizeOnDisk, expected) << threads;
}

TEST(DiskScanner, LeavesOutSymbolicLinksAndNeverFollowsThem) {
    TempDir dir, elsewhere;
    elsewhere.writeFile("big/payload.bin", 1 << 20);
    dir.writeFile("real.txt", 10);
    fs::create_directory_symlink(elsewhere.path() / "big", dir.path() / "to-folder");
    fs::create_symlink(elsewhere.path() / "big/payload.bin", dir.path() / "to-file");
    fs::create_symlink(dir.path() / "missing", dir.path() / "dangling");

    auto tree = scanWith(dir.str(), 4);
    ASSERT_EQ(tree->root()->children().size(), 1u);
    EXPECT_EQ(tree->root()->children()[0]->name(), "real.txt");
    EXPECT_LT(tree->root()->sizeOnDisk, 1 << 20);
}

TEST(DiskScanner, FilesInsideAppBundlesAreApplications) {
    TempDir dir;
    dir.writeFile("Foo.app/Contents/Resources/icon.png", 10);
    dir.writeFile("MyApp.App/notes.txt", 10);
    dir.writeFile("app/picture.png", 10);
    dir.writeFile("Tool.app", 10); // a file named like a bundle starts nothing
    dir.writeFile("Plain/clip.mp4", 10);
    dir.writeFile("Bundle.APP/Contents/data.json", 10);

    auto tree = scanWith(dir.str(), 2);
    const FileNode* root = tree->root();
    EXPECT_EQ(findNode(root, "Foo.app/Contents/Resources/icon.png")->category, FileCategory::application);
    EXPECT_EQ(findNode(root, "MyApp.App/notes.txt")->category, FileCategory::application);
    EXPECT_EQ(findNode(root, "app/picture.png")->category, FileCategory::image);
    EXPECT_EQ(findNode(root, "Tool.app")->category, FileCategory::other);
    EXPECT_EQ(findNode(root, "Plain/clip.mp4")->category, FileCategory::video);
    EXPECT_EQ(findNode(root, "Foo.app")->category, FileCategory::other);

    // A scan that starts at a bundle classifies everything in it as an application.
    auto bundle = scanWith((dir.path() / "Bundle.APP").string(), 2);
    EXPECT_EQ(findNode(bundle->root(), "Contents/data.json")->category, FileCategory::application);
}

TEST(DiskScanner, NonUtf8NamesKeepBytesAndPathsThatReachTheFile) {
    TempDir dir;
    const std::string fileName = "caf\xE9.txt";
    const std::string folderName = "\xFF\xFE-dir";
    dir.writeFile(fileName, 123);
    dir.writeFile(folderName + "/inner\x80.bin", 456);

    auto tree = scanWith(dir.str(), 2);
    const FileNode* file = findNode(tree->root(), fileName);
    const FileNode* inner = findNode(tree->root(), folderName + "/inner\x80.bin");
    ASSERT_NE(file, nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(file->logicalSize, 123);
    EXPECT_EQ(inner->logicalSize, 456);
    struct stat st{};
    EXPECT_EQ(::lstat(file->path().c_str(), &st), 0);
    EXPECT_EQ(::lstat(inner->path().c_str(), &st), 0);
}

TEST(DiskScanner, HardLinksCountOnceForTheSmallestPathWhateverTheThreads) {
    TempDir dir, elsewhere;
    dir.writeFile("b/data.bin", 40000);
    fs::create_directories(dir.path() / "a/z");
    fs::create_directories(dir.path() / "c");
    fs::create_hard_link(dir.path() / "b/data.bin", dir.path() / "a/z/link.bin");
    fs::create_hard_link(dir.path() / "b/data.bin", dir.path() / "c/copy.bin");
    // Linked from outside the scan only: its blocks count here.
    dir.writeFile("solo.bin", 8000);
    fs::create_hard_link(dir.path() / "solo.bin", elsewhere.path() / "outside.bin");
    const int64_t blocks = lstatOf(dir.path() / "b/data.bin").st_blocks * 512;
    const int64_t soloBlocks = lstatOf(dir.path() / "solo.bin").st_blocks * 512;

    for (int round = 0; round < 3; ++round) {
        for (int threads : {1, 3, 8}) {
            auto tree = scanWith(dir.str(), threads);
            const FileNode* root = tree->root();
            EXPECT_EQ(findNode(root, "a/z/link.bin")->sizeOnDisk, blocks);
            EXPECT_EQ(findNode(root, "b/data.bin")->sizeOnDisk, 0);
            EXPECT_EQ(findNode(root, "c/copy.bin")->sizeOnDisk, 0);
            for (const char* p : {"a/z/link.bin", "b/data.bin", "c/copy.bin"})
                EXPECT_EQ(findNode(root, p)->logicalSize, 40000);
            EXPECT_EQ(findNode(root, "solo.bin")->sizeOnDisk, soloBlocks);
            EXPECT_EQ(root->sizeOnDisk, blocks + soloBlocks);
            EXPECT_EQ(root->logicalSize, 3 * 40000 + 8000);
            expectRolledUp(root);
        }
    }
}

TEST(DiskScanner, LargeFolderIsSharedOutAndComesBackWhole) {
    TempDir dir;
    std::set<std::string> names;
    int64_t logical = 0;
    for (int i = 0; i < 3200; ++i) {
        std::string name = "entry-" + std::to_string(i) + (i % 2 ? ".txt" : ".png");
        dir.writeFile("big/" + name, static_cast<size_t>(i % 5) * 1500);
        names.insert(name);
        logical += (i % 5) * 1500;
    }
    for (int i = 0; i < 10; ++i) {
        dir.writeFile("big/sub" + std::to_string(i) + "/inside.txt", 100);
        names.insert("sub" + std::to_string(i));
        logical += 100;
    }
    auto reference = scanWith(dir.str(), 1);

    auto shortReads = std::make_shared<FaultyDirectoryReader>();
    shortReads->maxBytesPerRead = 4096; // folders start inline and turn large part-way
    for (auto reader : std::vector<std::shared_ptr<platform::DirectoryReader>>{nullptr, shortReads}) {
        for (int threads : {1, 2, 8}) {
            auto tree = scanWith(dir.str(), threads, reader);
            const FileNode* big = findNode(tree->root(), "big");
            ASSERT_NE(big, nullptr);
            std::set<std::string> seen;
            for (const FileNode* child : big->children()) seen.emplace(child->name());
            EXPECT_EQ(big->children().size(), names.size());
            EXPECT_EQ(seen, names);
            EXPECT_EQ(big->fileCount(), 3210);
            EXPECT_EQ(big->folderCount(), 10);
            EXPECT_EQ(big->logicalSize, logical);
            EXPECT_EQ(tree->root()->sizeOnDisk, reference->root()->sizeOnDisk);
            expectRolledUp(tree->root());
            expectStableTies(big, dir.path() / "big");
        }
    }
}

TEST(DiskScannerFaults, DeniedFoldersStayEmptyAndAreCountedWithEightSamples) {
    TempDir dir;
    dir.writeFile("locked/secret.txt", 5000);
    dir.writeFile("onlyDenied/x/a.txt", 5000);
    dir.writeFile("onlyDenied/y/b.txt", 5000);
    dir.writeFile("gone/c.txt", 5000);
    dir.writeFile("open/d.txt", 5000);
    auto reader = std::make_shared<FaultyDirectoryReader>();
    reader->openErrors[dir.str() + "/locked"] = EACCES;
    reader->openErrors[dir.str() + "/onlyDenied/x"] = EPERM;
    reader->openErrors[dir.str() + "/onlyDenied/y"] = EACCES;
    reader->openErrors[dir.str() + "/gone"] = ENOENT; // vanished: kept, not counted
    std::set<std::string> denied{dir.str() + "/locked", dir.str() + "/onlyDenied/x", dir.str() + "/onlyDenied/y"};
    for (int i = 0; i < 6; ++i) denied.insert(dir.makeDir("more/f" + std::to_string(i)).string());
    for (const auto& path : denied) reader->openErrors.try_emplace(path, EACCES);

    DiskScanner scanner(reader);
    auto tree = scanner.scan(dir.str());
    const FileNode* root = tree->root();
    const FileNode* locked = findNode(root, "locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_TRUE(locked->children().empty());
    EXPECT_EQ(locked->sizeOnDisk, 0);
    const FileNode* onlyDenied = findNode(root, "onlyDenied");
    EXPECT_EQ(onlyDenied->sizeOnDisk, 0);
    EXPECT_EQ(onlyDenied->fileCount(), 0);
    EXPECT_EQ(onlyDenied->folderCount(), 2);
    EXPECT_TRUE(findNode(root, "gone")->children().empty());
    EXPECT_EQ(root->fileCount(), 1);
    expectRolledUp(root);

    // Nine denied: all counted, eight different ones kept as samples.
    EXPECT_EQ(scanner.unreadableCount(), 9);
    std::vector<std::string> samples = scanner.unreadableSamples();
    const std::set<std::string> unique(samples.begin(), samples.end());
    EXPECT_EQ(samples.size(), 8u);
    EXPECT_EQ(unique.size(), 8u);
    for (const auto& s : samples) EXPECT_TRUE(denied.count(s)) << s;

    // A denied root: no children, counted once with its own path.
    auto rootDenied = std::make_shared<FaultyDirectoryReader>();
    rootDenied->openErrors[dir.str()] = EACCES;
    DiskScanner second(rootDenied);
    auto empty = second.scan(dir.str());
    EXPECT_TRUE(empty->root()->children().empty());
    EXPECT_EQ(second.unreadableCount(), 1);
    EXPECT_EQ(second.unreadableSamples(), std::vector<std::string>{dir.str()});

    // A missing root or a file: no children, nothing counted.
    DiskScanner missing;
    EXPECT_TRUE(missing.scan(dir.str() + "/nowhere")->root()->children().empty());
    EXPECT_EQ(missing.unreadableCount(), 0);
    auto file = scanWith(dir.str() + "/open/d.txt", 2);
    EXPECT_TRUE(file->root()->children().empty());
    EXPECT_GT(file->root()->modifiedStamp, 0);
}

TEST(DiskScannerFaults, ReadFailingPartWayKeepsWhatWasRead) {
    TempDir dir;
    for (int i = 0; i < 100; ++i) dir.writeFile("many/file" + std::to_string(i), 10);
    auto reader = std::make_shared<FaultyDirectoryReader>();
    reader->maxBytesPerRead = 1024;
    reader->laterReadErrors[dir.str() + "/many"] = EACCES;
    DiskScanner scanner(reader);
    auto tree = scanner.scan(dir.str());
    const FileNode* many = findNode(tree->root(), "many");
    EXPECT_GT(many->children().size(), 0u);
    EXPECT_LT(many->children().size(), 100u);
    EXPECT_EQ(scanner.unreadableCount(), 1);
    expectRolledUp(tree->root());
}

TEST(DiskScanner, CancellationDrainsAndReturnsARolledUpPartialTree) {
    TempDir dir;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 4; ++j) dir.writeFile("f" + std::to_string(i) + "/g/file" + std::to_string(j), 2000);

    auto reader = std::make_shared<FaultyDirectoryReader>();
    DiskScanner scanner(reader);
    std::atomic<int> opened = 0;
    reader->onOpen = [&](const std::string&) {
        if (++opened == 6) scanner.cancel();
    };
    auto tree = scanner.scan(dir.str());
    EXPECT_TRUE(scanner.isCancelled());
    EXPECT_LT(tree->root()->fileCount(), 120);
    EXPECT_LT(reader->openCount(), 20); // drained, not walked
    expectRolledUp(tree->root());

    // Cancelled before it starts: an empty, rolled-up root.
    DiskScanner early;
    early.cancel();
    auto nothing = early.scan(dir.str());
    EXPECT_TRUE(nothing->root()->children().empty());
    EXPECT_NE(nothing->root()->typeSizes(), nullptr);
}

TEST(DiskScanner, MountsOfVirtualFileSystemsAreNotDescended) {
    TempDir dir, links;
    dir.writeFile("fake-tmpfs/hidden.txt", 10);
    dir.writeFile("real-ext4/shown.txt", 10);
    auto reader = std::make_shared<FaultyDirectoryReader>();
    reader->extraMounts.push_back({dir.str() + "/fake-tmpfs", "tmpfs", "tmpfs", 0});
    reader->extraMounts.push_back({dir.str() + "/real-ext4", "ext4", "/dev/sdz1", 0});

    auto tree = scanWith(dir.str(), 2, reader);
    EXPECT_EQ(findNode(tree->root(), "fake-tmpfs"), nullptr);
    EXPECT_NE(findNode(tree->root(), "real-ext4/shown.txt"), nullptr);

    // Reached through a symbolic link, the mount is still recognised.
    fs::create_directory_symlink(dir.path(), links.path() / "alias");
    auto viaLink = scanWith((links.path() / "alias").string(), 2, reader);
    EXPECT_EQ(findNode(viaLink->root(), "fake-tmpfs"), nullptr);
    EXPECT_NE(findNode(viaLink->root(), "real-ext4/shown.txt"), nullptr);
}

TEST(DiskScanner, SizeOfItemSumsFilesAtAnyDepthWithoutFollowingLinks) {
    TempDir dir;
    auto a = dir.writeFile("f/a.bin", 10000);
    auto b = dir.writeFile("f/deep/er/b.bin", 70000);
    fs::create_directory_symlink(dir.path() / "f/deep", dir.path() / "f/link"); // counted once, not twice
    const int64_t aBlocks = lstatOf(a).st_blocks * 512, bBlocks = lstatOf(b).st_blocks * 512;
    EXPECT_EQ(DiskScanner::sizeOfItem(a.string()), aBlocks);
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "f").string()), aBlocks + bBlocks);
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "f/link").string()), 0);
    EXPECT_EQ(DiskScanner::sizeOfItem((dir.path() / "missing").string()), 0);
}
