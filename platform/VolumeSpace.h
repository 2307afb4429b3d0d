#pragma once

#include <sys/statvfs.h>

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Capacity of the file system holding a path, and the folder it is mounted at. The figures are df's:
// blocks reserved for the system are neither used nor free, so used + free may fall short of total.
struct VolumeSpace {
    std::string mountPoint;
    int64_t total = 0; // bytes
    int64_t free = 0;  // bytes available to an unprivileged user
    int64_t used = 0;  // bytes in blocks that are not free
};

// Nullopt when the path cannot be examined. Can block on a dead network mount.
std::optional<VolumeSpace> volumeSpace(const std::string& path);

// The figures of one statvfs result (mountPoint left empty).
VolumeSpace spaceFromStatvfs(const struct statvfs& fs);

} // namespace platform
