#include "platform/Volumes.h"

#include "platform/MountTable.h"

#include <dirent.h>
#include <sys/stat.h>

namespace platform {
namespace {

// /dev/disk/by-label escapes bytes as \xHH (a space is \x20).
std::string decodeLabel(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(raw.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += raw[i];
        }
    }
    return out;
}

// The device number of the file system mounted exactly at `mountPoint`.
bool mountedDevice(const std::string& mountPoint, dev_t& device) {
    bool found = false;
    for (const MountEntry& m : readMountTable()) {
        if (m.mountPoint != mountPoint) continue;
        device = static_cast<dev_t>(m.device);
        found = true; // the last mount at a point is the visible one
    }
    return found;
}

} // namespace

std::string volumeLabel(const std::string& mountPoint) {
    dev_t device{};
    if (!mountedDevice(mountPoint, device)) return {};
    DIR* dir = opendir("/dev/disk/by-label");
    if (!dir) return {};
    std::string label;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat st {};
        std::string path = std::string("/dev/disk/by-label/") + entry->d_name;
        if (stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
            label = decodeLabel(entry->d_name);
            break;
        }
    }
    closedir(dir);
    return label;
}

std::string rootVolumeName() {
    std::string label = volumeLabel("/");
    return label.empty() ? "Startup Disk" : label;
}

} // namespace platform
