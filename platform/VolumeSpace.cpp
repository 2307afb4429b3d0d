#include "platform/VolumeSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>

namespace platform {

std::optional<VolumeSpace> volumeSpace(const std::string& path) {
    struct statvfs fs{};
    struct stat st{};
    if (path.empty() || statvfs(path.c_str(), &fs) != 0 || stat(path.c_str(), &st) != 0) return std::nullopt;

    VolumeSpace space;
    space.total = static_cast<int64_t>(fs.f_blocks) * static_cast<int64_t>(fs.f_frsize);
    space.free = static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);

    // The mount point is the highest folder above the path that still lies on the same device.
    std::filesystem::path p = std::filesystem::path(path).lexically_normal();
    if (p.is_relative()) p = (std::filesystem::current_path() / p).lexically_normal();
    if (!S_ISDIR(st.st_mode)) p = p.parent_path();
    if (p.has_filename() == false && p != p.root_path()) p = p.parent_path();
    while (p != p.root_path()) {
        struct stat up{};
        std::filesystem::path parent = p.parent_path();
        if (stat(parent.c_str(), &up) != 0 || up.st_dev != st.st_dev) break;
        p = parent;
    }
    space.mountPoint = p.string();
    return space;
}

} // namespace platform
