#include "model/DiskInfo.h"

#include "platform/VolumeSpace.h"
#include "platform/Volumes.h"

#include <filesystem>

DiskInfo DiskInfo::forVolume(const std::string& path) {
    auto space = platform::volumeSpace(path);
    if (!space) return {platform::rootVolumeName(), 0, 0, 0};
    DiskInfo info{{}, space->total, space->free, space->used};
    if (space->mountPoint == "/") {
        info.name = platform::rootVolumeName();
    } else {
        info.name = platform::volumeLabel(space->mountPoint);
        if (info.name.empty()) info.name = std::filesystem::path(space->mountPoint).filename().string();
    }
    return info;
}
