#include "platform/VolumeSpace.h"

#include "platform/MountTable.h"
#include "platform/Paths.h"

namespace platform {

VolumeSpace spaceFromStatvfs(const struct statvfs& fs) {
    const auto bytes = [&](fsblkcnt_t blocks) {
        return static_cast<int64_t>(blocks) * static_cast<int64_t>(fs.f_frsize);
    };
    VolumeSpace space;
    space.total = bytes(fs.f_blocks);
    space.free = bytes(fs.f_bavail);
    space.used = fs.f_bfree < fs.f_blocks ? bytes(fs.f_blocks - fs.f_bfree) : 0;
    return space;
}

std::optional<VolumeSpace> volumeSpace(const std::string& path) {
    struct statvfs fs {};
    if (path.empty() || statvfs(path.c_str(), &fs) != 0) return std::nullopt;

    VolumeSpace space = spaceFromStatvfs(fs);
    // Links resolved first: the mount table lists real places.
    const std::string resolved = resolvedPath(path);
    auto mount = mountContaining(readMountTable(), resolved.empty() ? path : resolved);
    space.mountPoint = mount ? mount->mountPoint : "/";
    return space;
}

} // namespace platform
