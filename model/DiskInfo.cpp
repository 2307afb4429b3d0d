#include "model/DiskInfo.h"

#include "platform/VolumeSpace.h"
#include "platform/Volumes.h"

#include <algorithm>

DiskInfo DiskInfo::forVolume(const std::string& path) {
    auto space = platform::volumeSpace(path);
    if (!space) return {platform::rootVolumeName(), 0, 0, 0};
    return {platform::volumeName(space->mountPoint, platform::volumeLabel(space->mountPoint)), space->total,
            space->free, space->used};
}

int64_t DiskInfo::usedBytes() const {
    return std::max<int64_t>(used, 0);
}

double DiskInfo::usedFraction() const {
    const double u = double(usedBytes()), f = double(std::max<int64_t>(free, 0));
    return u + f > 0 ? u / (u + f) : 0;
}
