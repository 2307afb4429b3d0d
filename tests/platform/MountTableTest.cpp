#include "platform/MountTable.h"
#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <algorithm>

TEST(MountTable, ParsesOptionalFieldsEscapesOptionsAndTheMountHoldingAPath) {
    auto mounts =
        platform::parseMountInfo("22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                                 "30 22 8:2 / /home rw,noatime shared:2 master:3 - ext4 /dev/sda2 rw\n"
                                 "garbage line without a separator\n"
                                 "31 22 98:0 / /media/My\\040Disk ro,nosuid - vfat /dev/sd\\134b1 rw\n"
                                 "32 30 8:3 / /home rw,nodev - xfs /dev/sda3 rw\n");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[2].source, "/dev/sd\\b1");
    EXPECT_EQ(mounts[2].device, makedev(98, 0));
    EXPECT_TRUE(mounts[1].hasOption("noatime"));
    EXPECT_FALSE(mounts[1].hasOption("atime"));
    EXPECT_FALSE(mounts[0].hasOption("rw,relatime"));

    auto at = [&](const std::string& path) {
        auto m = platform::mountContaining(mounts, path);
        return m ? m->fsType + ":" + m->mountPoint : std::string("none");
    };
    EXPECT_EQ(at("/home/u/x"), "xfs:/home"); // the later mount hides the earlier one
    EXPECT_EQ(at("/homework/x"), "ext4:/");
    EXPECT_EQ(at("/media/My Disk/a"), "vfat:/media/My Disk");
    EXPECT_EQ(at("relative"), "none");
    EXPECT_TRUE(platform::readMountTable("/nonexistent/mountinfo").empty());
}

TEST(MountTable, UndescendedPathsAreSystemPlacesAndVisibleVirtualMounts) {
    std::vector<platform::MountEntry> mounts = {
        {"/home/ann/ram", "tmpfs", "tmpfs", 0},    {"/data", "ext4", "/dev/sdb1", 0},
        {"/srv/share", "cifs", "//host/share", 0}, {"/covered", "tmpfs", "tmpfs", 0},
        {"/covered", "ext4", "/dev/sdc1", 0},      {"/home/ann/remote", "fuse.sshfs", "ann@host:", 0},
    };
    std::vector<std::string> paths = platform::undescendedPaths(mounts);
    auto has = [&](const std::string& p) { return std::find(paths.begin(), paths.end(), p) != paths.end(); };
    for (const char* p : {"/proc", "/sys", "/home/ann/ram", "/srv/share", "/home/ann/remote"})
        EXPECT_TRUE(has(p)) << p;
    EXPECT_FALSE(has("/data"));
    EXPECT_FALSE(has("/covered")); // a real file system mounted over the tmpfs is what one sees
    EXPECT_FALSE(has("/"));
}

// udev names labels with \xHH escapes; a label with a malformed one is shown as it stands, never
// ends the application.
TEST(VolumeLabel, EscapesAreDecodedAndMalformedOnesKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"My\\x20Disk", "My Disk"},
        {"caf\\xc3\\xA9", "caf\xc3\xa9"},
        {"bad\\xzz", "bad\\xzz"},
        {"half\\x4g", "half\\x4g"},
        {"cut\\x2", "cut\\x2"},
        {"cut\\x", "cut\\x"},
        {"end\\", "end\\"},
        {"\\\\x41", "\\A"},
        {"", ""},
    };
    for (const auto& [raw, label] : cases)
        EXPECT_EQ(platform::decodeLabelEscapes(raw), label) << raw;
}
