#include "model/VolumeInfo.h"

#include "platform/MountedVolumes.h"

std::vector<VolumeInfo> VolumeInfo::mounted() {
    std::vector<VolumeInfo> volumes;
    for (platform::MountedVolume& v : platform::mountedVolumes()) {
        const platform::VolumeSpace& s = v.space;
        volumes.push_back({s.mountPoint, {std::move(v.name), s.total, s.free, s.used}});
    }
    return volumes;
}
