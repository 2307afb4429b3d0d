#pragma once

#include <string>

namespace platform {

// The label of the root file system, else "Startup Disk".
std::string rootVolumeName();

// The label of the block device mounted at `mountPoint`, or empty when it has none.
std::string volumeLabel(const std::string& mountPoint);

} // namespace platform
