#pragma once

#include <string>
#include <string_view>

namespace platform {

// The label of the root file system, else "Startup Disk".
std::string rootVolumeName();

// The label of the block device mounted at `mountPoint`, or empty when it has none.
std::string volumeLabel(const std::string& mountPoint);

// A name in /dev/disk/by-label as the label it stands for: \xHH escapes (a space is \x20) become
// their byte; a malformed escape is kept as it stands.
std::string decodeLabelEscapes(std::string_view raw);

} // namespace platform
