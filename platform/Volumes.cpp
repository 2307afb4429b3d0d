#include "platform/Volumes.h"

#include "platform/MountTable.h"

#include <dirent.h>
#include <sys/stat.h>

namespace platform {
namespace {

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

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string decodeLabelEscapes(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const bool escape = raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x';
        const int high = escape ? hexValue(raw[i + 2]) : -1;
        const int low = escape ? hexValue(raw[i + 3]) : -1;
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 3;
        } else {
            out += raw[i];
        }
    }
    return out;
}

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
            label = decodeLabelEscapes(entry->d_name);
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
