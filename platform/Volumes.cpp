#include "platform/Volumes.h"

#include "platform/MountTable.h"
#include "platform/Paths.h"

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

std::map<uint64_t, std::string> labelsByDevice(const std::string& folder) {
    std::map<uint64_t, std::string> labels;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return labels;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat st {};
        const std::string path = folder + "/" + entry->d_name;
        if (stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
            labels.emplace(static_cast<uint64_t>(st.st_rdev), decodeLabelEscapes(entry->d_name));
    }
    closedir(dir);
    return labels;
}

std::string volumeLabel(const std::string& mountPoint) {
    dev_t device{};
    if (!mountedDevice(mountPoint, device)) return {};
    auto labels = labelsByDevice();
    auto it = labels.find(static_cast<uint64_t>(device));
    return it == labels.end() ? std::string() : it->second;
}

std::string volumeName(const std::string& mountPoint, const std::string& label) {
    if (!label.empty()) return label;
    if (withoutTrailingSlashes(mountPoint) == "/") return "Startup Disk";
    return lastComponent(mountPoint);
}

std::string rootVolumeName() {
    return volumeName("/", volumeLabel("/"));
}

} // namespace platform
