#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One line of /proc/self/mountinfo.
struct MountEntry {
    std::string mountPoint; // unescaped
    std::string fsType;
    std::string source;
    uint64_t device = 0; // makedev(major, minor)
};

// Parses mountinfo text; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);
// The current process's mounts; empty when /proc is not readable.
std::vector<MountEntry> readMountTable();

// Kernel and virtual file systems, and network file systems: never descended by a scan.
bool isVirtualOrNetworkFileSystem(std::string_view fsType);

// Paths a scan never descends: the fixed system places ("/proc", "/sys", ...) and the mount points
// of virtual and network file systems among `mounts` (the last mount at a point is the one seen).
std::vector<std::string> undescendedPaths(const std::vector<MountEntry>& mounts);

} // namespace platform
