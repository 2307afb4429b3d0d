#include "model/DuplicateFinder.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string names(const DuplicateFinder::Group& g) {
    std::string out;
    for (const FileNode* f : g.files) out += (out.empty() ? "" : " ") + std::string(f->name());
    return out;
}

// Runs the search with a time limit: a search that blocks on a pipe must fail the test, not hang it.
std::vector<DuplicateFinder::Group> findWithTimeLimit(const std::shared_ptr<ScanTree>& tree,
                                                      DuplicateFinder::Stats* stats = nullptr) {
    auto future = std::async(std::launch::async, [&] { return DuplicateFinder::find(tree, nullptr, stats, 4); });
    if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the duplicate search hung";
        std::_Exit(1);
    }
    return future.get();
}

std::string hex(const DuplicateFinder::Digest& d) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (unsigned char c : d) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

} // namespace

TEST(DuplicateFinderTest, HashFileReadsOnlyWhatIsAsked) {
    TempDir temp;
    fs::path f = temp.path() / "abcdef";
    writeBytes(f, "abcdef");
    std::vector<unsigned char> buffer(1 << 16);
    auto whole = DuplicateFinder::hashFile(f, 6, std::nullopt, buffer);
    auto prefix = DuplicateFinder::hashFile(f, 6, 3, buffer);
    ASSERT_TRUE(whole && prefix);
    EXPECT_EQ(hex(prefix->digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"); // "abc"
    EXPECT_EQ(hex(whole->digest), "bef57ec7f53a6d40beb640a780a639c83bc29ac8a9816f1fc6c5c6dcd93c4721");
    // Not the scanned size, a link, a folder, or nothing: no digest.
    EXPECT_FALSE(DuplicateFinder::hashFile(f, 5, std::nullopt, buffer));
    fs::create_symlink(f, temp.path() / "link");
    EXPECT_FALSE(DuplicateFinder::hashFile(temp.path() / "link", 6, std::nullopt, buffer));
    EXPECT_FALSE(DuplicateFinder::hashFile(temp.str(), 6, std::nullopt, buffer));
    EXPECT_FALSE(DuplicateFinder::hashFile(temp.path() / "missing", 6, std::nullopt, buffer));
}

TEST(DuplicateFinderTest, PartialPassBoundary) {
    TempDir temp;
    const std::string k64(65'536, 'a');
    writeBytes(temp.path() / "exact1", k64);
    writeBytes(temp.path() / "exact2", k64);
    writeBytes(temp.path() / "over1", k64 + "z");
    writeBytes(temp.path() / "over2", k64 + "z");
    writeBytes(temp.path() / "over3", k64 + "y"); // same first 65,536 bytes, differs after
    writeBytes(temp.path() / "empty1", "");
    writeBytes(temp.path() / "empty2", "");
    writeBytes(temp.path() / "unique", std::string(1234, 'u'));
    DuplicateFinder::Stats stats;
    auto tree = TreeBuilder::fromDisk(temp.str()); // groups point into it: keep it alive
    auto groups = findWithTimeLimit(tree, &stats);

    ASSERT_EQ(groups.size(), 2u);
    // The 65,537-byte pair wastes one byte more and sorts first.
    EXPECT_EQ(groups[0].size, 65'537);
    EXPECT_EQ(groups[0].files.size(), 2u);
    EXPECT_EQ(groups[1].size, 65'536);
    EXPECT_EQ(stats.candidates, 5);  // empty and unique files are never hashed
    EXPECT_EQ(stats.fullHashed, 3);  // only the 65,537-byte files are read whole
    for (const auto& g : groups)
        for (const FileNode* f : g.files) EXPECT_NE(f->name(), "over3");
}

TEST(DuplicateFinderTest, LargestWasteFirstAndFilesInWalkOrder) {
    TempDir temp;
    EXPECT_TRUE(findWithTimeLimit(TreeBuilder::fromDisk(temp.str())).empty()); // no files, no groups

    for (const char* name : {"t1", "t2", "t3"}) writeBytes(temp.path() / "three" / name, std::string(1000, 't'));
    for (const char* name : {"p1", "p2"}) writeBytes(temp.path() / "pair" / name, std::string(1500, 'p'));
    writeBytes(temp.path() / "pair" / "other", std::string(1500, 'o')); // same size, other content
    auto tree = TreeBuilder::fromDisk(temp.str());
    auto groups = findWithTimeLimit(tree);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].wastedBytes(), 2000);
    EXPECT_EQ(groups[1].wastedBytes(), 1500);
    EXPECT_EQ(groups[1].files.size(), 2u);
    EXPECT_NE(groups[0].id, groups[1].id);
    // Files keep the order in which the walk met them.
    std::vector<const FileNode*> walk;
    groups[0].files[0]->parent()->forEachNode([&](FileNode* n) {
        if (!n->isDirectory()) walk.push_back(n);
    });
    EXPECT_EQ(std::vector<const FileNode*>(groups[0].files.begin(), groups[0].files.end()), walk);
}

TEST(DuplicateFinderTest, FilesChangedSinceTheScanAreDropped) {
    TempDir temp;
    const std::string small(3000, 's'), big(200'000, 'b');
    for (const char* name : {"a", "b", "c", "d"}) writeBytes(temp.path() / "small" / name, small);
    for (const char* name : {"a", "b", "c", "d"}) writeBytes(temp.path() / "big" / name, big);
    auto tree = TreeBuilder::fromDisk(temp.str());

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
    TempDir temp;
    const std::string content(5000, 'h');
    writeBytes(temp.path() / "a" / "original", content);
    fs::create_directories(temp.path() / "b");
    fs::create_hard_link(temp.path() / "a" / "original", temp.path() / "b" / "link");
    auto groups = findWithTimeLimit(TreeBuilder::fromDisk(temp.str()));
    EXPECT_TRUE(groups.empty()); // a group needs two distinct files

    writeBytes(temp.path() / "c" / "copy", content);
    auto tree = TreeBuilder::fromDisk(temp.str());
    groups = findWithTimeLimit(tree);
    ASSERT_EQ(groups.size(), 1u);
    // Whichever path of the linked file the walk met first stands for it.
    std::string found = names(groups[0]);
    EXPECT_TRUE(found == "original copy" || found == "link copy" || found == "copy original" || found == "copy link")
        << found;
    EXPECT_EQ(groups[0].wastedBytes(), 5000);
}

TEST(DuplicateFinderTest, ZeroSizeOnDiskIsNoCandidate) {
    TempDir temp;
    writeBytes(temp.path() / "x", "same");
    writeBytes(temp.path() / "y", "same");
    TreeBuilder b(temp.str());
    b.file(b.root(), "x", 4096, 0, 4);
    b.file(b.root(), "y", 0, 0, 4); // a hard link's second path as the scanner leaves it
    EXPECT_TRUE(findWithTimeLimit(b.finish()).empty());
}
