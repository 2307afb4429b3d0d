#include "platform/DirectoryReader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;
using namespace platform;

TEST(DirectoryReader, ReadsRecordsAndStatusesWithoutFollowingLinks) {
    TempDir dir;
    std::set<std::string> expected;
    for (int i = 0; i < 300; ++i)
        dir.writeFile(*expected.insert("file-with-a-long-name-" + std::to_string(i)).first,
                      static_cast<size_t>(i));
    fs::create_symlink("file-with-a-long-name-1", dir.path() / "link");
    expected.insert("link");

    LinuxDirectoryReader reader;
    int fd = -1;
    ASSERT_EQ(reader.openDirectory(AT_FDCWD, dir.str().c_str(), false, fd), 0);
    // A small buffer takes many reads; every entry comes exactly once, "." and ".." never.
    std::vector<std::byte> buffer(1024);
    std::multiset<std::string> seen;
    long n;
    while ((n = reader.readEntries(fd, buffer)) > 0)
        forEachDirEntry({buffer.data(), static_cast<size_t>(n)}, [&](DirEntry e) { seen.emplace(e.name); });
    EXPECT_EQ(n, 0);
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()), expected);
    EXPECT_EQ(seen.size(), expected.size());

    EntryStatus st;
    ASSERT_EQ(reader.statEntry(fd, "file-with-a-long-name-299", st), 0);
    EXPECT_EQ(st.size, 299);
    ASSERT_EQ(reader.statEntry(fd, "link", st), 0);
    EXPECT_TRUE(st.isSymlink());
    EXPECT_EQ(reader.statEntry(fd, "vanished", st), ENOENT);
    ASSERT_EQ(reader.statPath((dir.path() / "link").c_str(), true, st), 0);
    EXPECT_EQ(st.size, 1);
    reader.closeDirectory(fd);

    EXPECT_EQ(reader.openDirectory(AT_FDCWD, (dir.path() / "missing").c_str(), false, fd), ENOENT);
    EXPECT_EQ(reader.openDirectory(AT_FDCWD, (dir.path() / "link").c_str(), true, fd), ENOTDIR);
    // A link to a folder is opened only when asked: the scanned path may be one, a folder below never.
    fs::create_directory_symlink(dir.path(), dir.path() / "folder-link");
    EXPECT_NE(reader.openDirectory(AT_FDCWD, (dir.path() / "folder-link").c_str(), false, fd), 0);
    ASSERT_EQ(reader.openDirectory(AT_FDCWD, (dir.path() / "folder-link").c_str(), true, fd), 0);
    reader.closeDirectory(fd);
}
