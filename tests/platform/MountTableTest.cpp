#include "platform/MountTable.h"

#include <gtest/gtest.h>

// Parsing itself (escapes, optional fields, devices) is covered with the directory reader's tests.
TEST(MountTable, OptionsAndTheMountHoldingAPath) {
    auto mounts = platform::parseMountInfo("22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                                           "30 22 8:2 / /home rw,noatime shared:2 master:3 - ext4 /dev/sda2 rw\n"
                                           "31 22 0:40 / /media/My\\040Disk ro,nosuid - vfat /dev/sdb1 rw\n"
                                           "32 30 8:3 / /home rw,nodev - xfs /dev/sda3 rw\n");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_TRUE(mounts[1].hasOption("noatime"));
    EXPECT_FALSE(mounts[1].hasOption("atime"));
    EXPECT_FALSE(mounts[0].hasOption("rw,relatime"));

    auto at = [&](const std::string& path) {
        auto m = platform::mountContaining(mounts, path);
        return m ? m->fsType + ":" + m->mountPoint : std::string("none");
    };
    EXPECT_EQ(at("/home/u/x"), "xfs:/home"); // the later mount hides the earlier one
    EXPECT_EQ(at("/home"), "xfs:/home");
    EXPECT_EQ(at("/homework/x"), "ext4:/");
    EXPECT_EQ(at("/media/My Disk/a"), "vfat:/media/My Disk");
    EXPECT_EQ(at("relative"), "none");
    EXPECT_TRUE(platform::readMountTable("/nonexistent/mountinfo").empty());
}
