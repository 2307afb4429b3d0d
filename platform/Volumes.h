#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace platform {

// The label of the root file system, else "Startup Disk".
std::string rootVolumeName();

// The label of the block device mounted at `mountPoint`, or empty when it has none.
std::string volumeLabel(const std::string& mountPoint);

// The labels of the block devices named in a by-label folder, by device number.
std::map<uint64_t, std::string> labelsByDevice(const std::string& folder = "/dev/disk/by-label");

// What a volume is called: its label; without one, "Startup Disk" for "/" and the last component of
// the mount point for any other.
std::string volumeName(const std::string& mountPoint, const std::string& label);

// A name in /dev/disk/by-label as the label it stands for: \xHH escapes (a space is \x20) become
// their byte; a malformed escape is kept as it stands.
std::string decodeLabelEscapes(std::string_view raw);

} // namespace platform
