#include "platform/MountedVolumes.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <map>
#include <set>

namespace {

// A system whose mount points have the totals given (missing ones cannot be examined) and whose
// devices have the labels given; it notes every point it was asked about.
struct FakeProbe {
    std::map<std::string, int64_t> totals;
    std::map<uint64_t, std::string> labels;
    std::set<std::string> asked;

    platform::VolumeProbe probe() {
        return {[this](const std::string& point) -> std::optional<platform::VolumeSpace> {
                    asked.insert(point);
                    auto it = totals.find(point);
                    if (it == totals.end()) return std::nullopt;
                    return platform::VolumeSpace{"", it->second, it->second / 4, it->second / 2};
                },
                [this](uint64_t device) { return labels.count(device) ? labels[device] : std::string(); }};
    }
};

std::vector<std::string> listed(const std::vector<platform::MountedVolume>& volumes) {
    std::vector<std::string> out;
    for (const auto& v : volumes)
        out.push_back(v.name + "@" + v.space.mountPoint);
    return out;
}

TEST(MountedVolumes, RealFileSystemsOncePerDeviceNamedAndLargestFirst) {
    const std::string table = "22 1 0:21 / /proc rw - proc proc rw\n"
                              "23 1 0:22 / /sys rw - sysfs sysfs rw\n"
                              "24 1 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
                              "25 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "26 25 0:23 / /run rw - tmpfs tmpfs rw\n"
                              "27 25 8:2 / /home rw - ext4 /dev/sda2 rw\n"
                              "28 25 8:2 /ann/www /srv/www rw - ext4 /dev/sda2 rw\n"
                              "29 25 8:17 / /media/ann/My\\040Disk rw - vfat /dev/sdb1 rw\n"
                              "30 25 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
                              "31 25 8:33 / /mnt/empty rw - ext4 /dev/sdc1 rw\n"
                              "32 25 0:40 / /srv/share rw - nfs4 host:/share rw\n"
                              "33 25 0:41 / /data rw - btrfs /dev/sdd1 rw\n"
                              "34 25 0:42 /@backup /backup rw - btrfs /dev/sdd1 rw\n"
                              "35 25 8:49 / /covered rw - ext4 /dev/sde1 rw\n"
                              "36 25 0:24 / /covered rw - tmpfs tmpfs rw\n"
                              "37 25 8:65 / /equal rw - xfs /dev/sdf1 rw\n";
    FakeProbe fake;
    fake.totals = {{"/", 500},        {"/home", 900}, {"/srv/www", 900}, {"/media/ann/My Disk", 64},
                   {"/mnt/empty", 0}, {"/data", 300}, {"/backup", 300},  {"/covered", 777},
                   {"/equal", 300},   {"/proc", 1},   {"/srv/share", 5}, {"/snap/core/1", 9}};
    fake.labels = {{makedev(8, 2), "Home Data"}};
    auto volumes = platform::mountedVolumes(platform::parseMountInfo(table), fake.probe());

    // Pseudo, virtual and network file systems are never examined (a dead network mount would block);
    // the bind mount, the second btrfs mount, the empty volume and the covered one are not listed;
    // equal totals keep the table's order.
    EXPECT_EQ(listed(volumes), (std::vector<std::string>{"Home Data@/home", "Startup Disk@/", "data@/data",
                                                         "equal@/equal", "My Disk@/media/ann/My Disk"}));
    for (const char* point : {"/proc", "/sys", "/dev", "/run", "/snap/core/1", "/srv/share"})
        EXPECT_FALSE(fake.asked.count(point)) << point;
    EXPECT_EQ(volumes[0].space.total, 900);
    EXPECT_EQ(volumes[0].space.free, 225);
    EXPECT_EQ(volumes[0].space.used, 450);
}

// Bind mounts of a folder can come before the file system's own mount in the table (mounted first, or
// moved there); the whole file system's mount point still stands for the device, wherever it comes.
TEST(MountedVolumes, TheWholeFileSystemWinsOverAnEarlierBindMountOfOneOfItsFolders) {
    const std::string table = "25 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "27 25 8:2 /ann/www /srv/www rw - ext4 /dev/sda2 rw\n"
                              "28 25 8:2 /ann/mail /srv/mail rw - ext4 /dev/sda2 rw\n"
                              "29 25 8:2 / /home rw - ext4 /dev/sda2 rw\n"
                              "30 25 8:2 /ann/music /srv/music rw - ext4 /dev/sda2 rw\n"
                              "31 25 0:42 /@backup /backup rw - btrfs /dev/sdd1 rw\n"
                              "32 25 0:41 / /data rw - btrfs /dev/sdd1 rw\n";
    FakeProbe fake;
    fake.totals = {{"/", 500},          {"/srv/www", 900}, {"/srv/mail", 900}, {"/home", 900},
                   {"/srv/music", 900}, {"/backup", 300},  {"/data", 300}};
    fake.labels = {{makedev(8, 2), "Home Data"}};
    auto volumes = platform::mountedVolumes(platform::parseMountInfo(table), fake.probe());
    EXPECT_EQ(listed(volumes), (std::vector<std::string>{"Home Data@/home", "Startup Disk@/", "data@/data"}));
}

TEST(MountedVolumes, AContainersOverlayRootIsTheStartupDiskAndABoundFileIsNoVolume) {
    const std::string table =
        "500 400 0:50 / / rw - overlay overlay rw,lowerdir=/l,upperdir=/u\n"
        "501 500 0:51 / /proc rw - proc proc rw\n"
        "502 500 254:1 /var/lib/docker/containers/abc/hosts /etc/hosts rw - ext4 /dev/vda1 rw\n"
        "503 500 254:1 /srv/volumes/x /data rw - ext4 /dev/vda1 rw\n"
        "504 500 254:1 /srv/volumes/y /more rw - ext4 /dev/vda1 rw\n"
        "505 500 8:1 / /mnt/alt rw - ext4 /dev/sda1 rw\n"
        "506 500 8:1 / / rw - ext4 /dev/sda1 rw\n";
    FakeProbe fake;
    fake.totals = {{"/", 100}, {"/data", 800}, {"/more", 800}, {"/mnt/alt", 100}};
    auto volumes = platform::mountedVolumes(platform::parseMountInfo(table), fake.probe());
    // The overlay is hidden by the later mount at "/", whose device is also mounted at /mnt/alt: it is
    // listed at "/". The file bound at /etc/hosts cannot be examined; /data stands for its device.
    EXPECT_EQ(listed(volumes), (std::vector<std::string>{"data@/data", "Startup Disk@/"}));

    const std::string overlayOnly = "500 400 0:50 / / rw - overlay overlay rw\n"
                                    "501 500 0:51 / /proc rw - proc proc rw\n";
    EXPECT_EQ(listed(platform::mountedVolumes(platform::parseMountInfo(overlayOnly), fake.probe())),
              std::vector<std::string>{"Startup Disk@/"});
    EXPECT_TRUE(platform::mountedVolumes({}, fake.probe()).empty());
}

} // namespace
