#pragma once

#include "model/DiskInfo.h"

#include <string>
#include <vector>

// One mounted volume of the Monitor's storage list, known by its mount point.
struct VolumeInfo {
    std::string mountPoint;
    DiskInfo disk; // its name and df's figures

    // The mounted volumes, largest total first (see platform::mountedVolumes). Never fails: an empty
    // list when none can be read. May block on a failing device, so it runs off the window's thread.
    static std::vector<VolumeInfo> mounted();

    friend bool operator==(const VolumeInfo&, const VolumeInfo&) = default;
};
