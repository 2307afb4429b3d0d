#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Capacity of the file system holding a path, and the folder it is mounted at.
struct VolumeSpace {
    std::string mountPoint;
    int64_t total = 0; // bytes
    int64_t free = 0;  // bytes available to an unprivileged user
};

// Nullopt when the path cannot be examined. Can block on a dead network mount.
std::optional<VolumeSpace> volumeSpace(const std::string& path);

} // namespace platform
