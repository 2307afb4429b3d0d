#include "platform/VolumeSpace.h"

#include "platform/MountTable.h"
#include "platform/Paths.h"

#include <sys/statvfs.h>

namespace platform {

std::optional<VolumeSpace> volumeSpace(const std::string& path) {
    struct statvfs fs {};
    if (path.empty() || statvfs(path.c_str(), &fs) != 0) return std::nullopt;

    VolumeSpace space;
    space.total = static_cast<int64_t>(fs.f_blocks) * static_cast<int64_t>(fs.f_frsize);
    space.free = static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);

    // Links resolved first: the mount table lists real places.
    const std::string resolved = resolvedPath(path);
    auto mount = mountContaining(readMountTable(), resolved.empty() ? path : resolved);
    space.mountPoint = mount ? mount->mountPoint : "/";
    return space;
}

} // namespace platform
