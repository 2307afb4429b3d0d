#include "platform/DirectoryReader.h"
#include "platform/MountTable.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;
using namespace platform;

TEST(MountTable, ParsesMountInfoWithOptionalFieldsAndEscapes) {
    const char* text =
        "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
        "36 35 98:0 /mnt1 /mnt/my\\040disk rw,noatime master:1 shared:2 - ext4 /dev/sd\\134a1 rw\n"
        "garbage line without a separator\n"
        "40 1 0:50 / /srv/share rw - nfs4 server:/export rw\n";
    std::vector<MountEntry> mounts = parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].mountPoint, "/proc");
    EXPECT_EQ(mounts[0].fsType, "proc");
    EXPECT_EQ(mounts[1].mountPoint, "/mnt/my disk");
    EXPECT_EQ(mounts[1].fsType, "ext4");
    EXPECT_EQ(mounts[1].source, "/dev/sd\\a1");
    EXPECT_EQ(mounts[1].device, makedev(98, 0));
    EXPECT_EQ(mounts[2].fsType, "nfs4");
}

TEST(MountTable, UndescendedPathsAreSystemPlacesAndVisibleVirtualMounts) {
    std::vector<MountEntry> mounts = {
        {"/home/ann/ram", "tmpfs", "tmpfs", 0},   {"/data", "ext4", "/dev/sdb1", 0},
        {"/srv/share", "cifs", "//host/share", 0}, {"/covered", "tmpfs", "tmpfs", 0},
        {"/covered", "ext4", "/dev/sdc1", 0},      {"/home/ann/remote", "fuse.sshfs", "ann@host:", 0},
    };
    std::vector<std::string> paths = undescendedPaths(mounts);
    auto has = [&](const std::string& p) { return std::find(paths.begin(), paths.end(), p) != paths.end(); };
    for (const char* p : {"/proc", "/sys", "/dev", "/run", "/media", "/mnt", "/net", "/snap", "/.snapshots",
                          "/home/ann/ram", "/srv/share", "/home/ann/remote"})
        EXPECT_TRUE(has(p)) << p;
    EXPECT_FALSE(has("/data"));
    EXPECT_FALSE(has("/covered")); // a real file system mounted over the tmpfs is what one sees
    EXPECT_FALSE(has("/"));
}

TEST(DirectoryReader, ReadsRecordsAndStatusesWithoutFollowingLinks) {
    TempDir dir;
    std::set<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        std::string name = "file-with-a-long-name-" + std::to_string(i);
        dir.writeFile(name, static_cast<size_t>(i));
        expected.insert(name);
    }
    fs::create_symlink("file-with-a-long-name-1", dir.path() / "link");
    expected.insert("link");

    LinuxDirectoryReader reader;
    int fd = -1;
    ASSERT_EQ(reader.openDirectory(AT_FDCWD, dir.str().c_str(), fd), 0);
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
    EXPECT_FALSE(st.isDirectory());
    ASSERT_EQ(reader.statEntry(fd, "link", st), 0);
    EXPECT_TRUE(st.isSymlink());
    EXPECT_EQ(reader.statEntry(fd, "vanished", st), ENOENT);
    ASSERT_EQ(reader.statPath((dir.path() / "link").c_str(), true, st), 0);
    EXPECT_EQ(st.size, 1);
    reader.closeDirectory(fd);

    EXPECT_EQ(reader.openDirectory(AT_FDCWD, (dir.path() / "missing").c_str(), fd), ENOENT);
    EXPECT_EQ(reader.openDirectory(AT_FDCWD, (dir.path() / "link").c_str(), fd), ENOTDIR);
}
