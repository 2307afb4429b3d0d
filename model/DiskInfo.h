#pragma once

#include <cstdint>
#include <string>

// A volume's name and space, as df gives them: `used` is what its files take, `free` what the user may
// still write. Blocks reserved for the system are neither, so used + free may fall short of total.
struct DiskInfo {
    std::string name;
    int64_t total = 0;
    int64_t free = 0;
    int64_t used = 0;

    // The volume holding `path`. Never fails: an unreadable volume is the startup disk's name with
    // zero figures. May block on a dead network mount, so it is called off the main thread for scan
    // targets.
    static DiskInfo forVolume(const std::string& path);

    // `used`, never below 0.
    int64_t usedBytes() const;
    // Used over used plus free, as df's "Use%": reserved blocks count on neither side. 0 when both are 0.
    double usedFraction() const;

    friend bool operator==(const DiskInfo&, const DiskInfo&) = default;
};
