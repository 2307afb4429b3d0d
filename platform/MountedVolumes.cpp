#include "platform/MountedVolumes.h"

#include "platform/Volumes.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <map>

namespace platform {
namespace {

bool onBlockDevice(const MountEntry& m) {
    return m.source.starts_with("/dev/") && !isVirtualOrNetworkFileSystem(m.fsType);
}

// Lower is preferred among the mounts of one device.
int preference(const MountEntry& m) {
    if (m.mountPoint == "/") return 0;
    if (m.root == "/") return 1;
    return 2;
}

} // namespace

std::vector<MountedVolume> mountedVolumes(const std::vector<MountEntry>& mounts, const VolumeProbe& probe) {
    std::map<std::string, size_t> visible; // the last mount at a point is the one seen there
    for (size_t i = 0; i < mounts.size(); ++i)
        visible[mounts[i].mountPoint] = i;

    struct Found {
        const MountEntry* mount;
        VolumeSpace space;
    };
    std::vector<Found> found;
    // One file system is known by its device number or, where mounts of it get numbers of their own
    // (btrfs subvolumes), by its source.
    std::map<uint64_t, size_t> byDevice;
    std::map<std::string, size_t> bySource;
    for (size_t i = 0; i < mounts.size(); ++i) {
        const MountEntry& m = mounts[i];
        const bool block = onBlockDevice(m);
        if (visible[m.mountPoint] != i || !(block || m.mountPoint == "/")) continue;
        std::optional<VolumeSpace> space = probe.space(m.mountPoint);
        if (!space || space->total <= 0) continue;
        space->mountPoint = m.mountPoint;

        auto device = byDevice.find(m.device);
        auto source = block ? bySource.find(m.source) : bySource.end();
        const size_t slot = device != byDevice.end()   ? device->second
                            : source != bySource.end() ? source->second
                                                       : found.size();
        if (slot == found.size())
            found.push_back({&m, std::move(*space)});
        else if (preference(m) < preference(*found[slot].mount))
            found[slot] = {&m, std::move(*space)};
        byDevice.emplace(m.device, slot);
        if (block) bySource.emplace(m.source, slot);
    }

    std::vector<MountedVolume> volumes;
    volumes.reserve(found.size());
    for (Found& f : found)
        volumes.push_back(
            {volumeName(f.mount->mountPoint, probe.label(f.mount->device)), std::move(f.space)});
    std::stable_sort(volumes.begin(), volumes.end(), [](const MountedVolume& a, const MountedVolume& b) {
        return a.space.total > b.space.total;
    });
    return volumes;
}

std::vector<MountedVolume> mountedVolumes() {
    const std::map<uint64_t, std::string> labels = labelsByDevice();
    VolumeProbe probe;
    probe.space = [](const std::string& mountPoint) -> std::optional<VolumeSpace> {
        struct stat st {};
        struct statvfs fs {};
        if (::stat(mountPoint.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            ::statvfs(mountPoint.c_str(), &fs) != 0)
            return std::nullopt;
        return spaceFromStatvfs(fs);
    };
    probe.label = [&labels](uint64_t device) {
        auto it = labels.find(device);
        return it == labels.end() ? std::string() : it->second;
    };
    return mountedVolumes(readMountTable(), probe);
}

} // namespace platform
