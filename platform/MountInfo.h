#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// One line of /proc/self/mountinfo.
struct MountInfoEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string mountPoint;  // octal escapes (\040) decoded
    std::string options;     // per-mount options, comma-separated ("rw,noatime")
    std::string fsType;
    std::string source;

    bool hasOption(const std::string& option) const;
};

// The mounts listed in `path`, in file order; empty when it cannot be read.
std::vector<MountInfoEntry> readMountInfo(const std::string& path = "/proc/self/mountinfo");

// The mount that holds absolute path `path`: the longest mount point that is a prefix of it (the last
// listed wins among equal ones, as later mounts hide earlier ones).
std::optional<MountInfoEntry> mountContaining(const std::vector<MountInfoEntry>& mounts, const std::string& path);

} // namespace platform
