#pragma once

#include "platform/MountTable.h"
#include "platform/VolumeSpace.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One mounted volume as the Monitor lists it: its name and df's figures at its mount point.
struct MountedVolume {
    std::string name;
    VolumeSpace space;
};

// What the volume list asks of the system; tests stand fixtures in.
struct VolumeProbe {
    // df's figures of the file system mounted at a point; nullopt when it cannot be examined.
    std::function<std::optional<VolumeSpace>(const std::string& mountPoint)> space;
    // The label of a block device by device number; empty when it has none.
    std::function<std::string(uint64_t device)> label;
};

// The volumes of a mount table, largest total first (equal totals keep the table's order):
// - file systems on a block device (a source under /dev that is not a kernel, virtual or network file
//   system), plus whatever is mounted at "/" (an overlay in a container is still the startup disk);
// - a mount hidden by a later one at the same point is left out, and so is one the probe cannot
//   examine (a bound file is no volume) or that has no blocks at all;
// - a device mounted at several points (bind mounts) is listed once: at "/" when it is mounted there,
//   else at its first mount of the whole file system, else at its first mount;
// - named by label, else "Startup Disk" for "/", else the last component of the mount point.
std::vector<MountedVolume> mountedVolumes(const std::vector<MountEntry>& mounts, const VolumeProbe& probe);

// This machine's volumes, from /proc/self/mountinfo, statvfs and /dev/disk/by-label; only folders are
// examined. statvfs may block on a failing device: call it off the window's thread.
std::vector<MountedVolume> mountedVolumes();

} // namespace platform
