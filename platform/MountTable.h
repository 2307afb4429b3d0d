#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One line of /proc/self/mountinfo.
struct MountEntry {
    std::string mountPoint; // octal escapes (\040) decoded
    std::string fsType;
    std::string source;
    uint64_t device = 0;      // makedev(major, minor)
    std::string options = {}; // per-mount options, comma-separated ("rw,noatime")
    std::string root = {}; // the folder of the file system seen at the mount point ("/" unless a bind mount)

    bool hasOption(std::string_view option) const;
};

// Parses mountinfo text, in file order; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);
// The mounts listed in `path`; empty when it cannot be read.
std::vector<MountEntry> readMountTable(const std::string& path = "/proc/self/mountinfo");

// The mount that holds absolute path `path`: the longest mount point that is a prefix of it (the last
// listed wins among equal ones, as later mounts hide earlier ones).
std::optional<MountEntry> mountContaining(const std::vector<MountEntry>& mounts, std::string_view path);

// Kernel and virtual file systems, and network file systems: never descended by a scan.
bool isVirtualOrNetworkFileSystem(std::string_view fsType);

// Paths a scan never descends: the fixed system places ("/proc", "/sys", ...) and the mount points
// of virtual and network file systems among `mounts` (the last mount at a point is the one seen).
std::vector<std::string> undescendedPaths(const std::vector<MountEntry>& mounts);

} // namespace platform
