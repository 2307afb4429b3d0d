#include "platform/VolumeSpace.h"

#include "platform/MountTable.h"

#include <sys/statvfs.h>

#include <climits>
#include <cstdlib>

namespace platform {

std::optional<VolumeSpace> volumeSpace(const std::string& path) {
    struct statvfs fs{};
    if (path.empty() || statvfs(path.c_str(), &fs) != 0) return std::nullopt;

    VolumeSpace space;
    space.total = static_cast<int64_t>(fs.f_blocks) * static_cast<int64_t>(fs.f_frsize);
    space.free = static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);

    // Links resolved first: the mount table lists real places.
    char resolved[PATH_MAX];
    const std::string real = realpath(path.c_str(), resolved) ? resolved : path;
    auto mount = mountContaining(readMountTable(), real);
    space.mountPoint = mount ? mount->mountPoint : "/";
    return space;
}

} // namespace platform
