#include "platform/MountTable.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace platform {
namespace {

// mountinfo escapes space, tab, newline and backslash as three octal digits (\040).
std::string unescapeOctal(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        pos = end;
    }
    return fields;
}

constexpr std::array<std::string_view, 9> kNeverDescended = {
    "/proc", "/sys", "/dev", "/run", "/media", "/mnt", "/net", "/snap", "/.snapshots",
};

constexpr std::array<std::string_view, 26> kVirtualOrNetwork = {
    "proc",      "sysfs",     "devtmpfs",    "devpts",   "tmpfs",   "cgroup",   "cgroup2",
    "securityfs", "debugfs",  "tracefs",     "pstore",   "bpf",     "configfs", "fusectl",
    "mqueue",    "hugetlbfs", "autofs",      "binfmt_misc", "efivarfs", "overlay", "squashfs",
    "nfs",       "nfs4",      "cifs",        "smb3",     "fuse.sshfs",
};

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::vector<std::string_view> fields = splitFields(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
        if (fields.size() < 6 || dash == fields.end() || dash - fields.begin() < 6 || fields.end() - dash < 3)
            continue;
        MountEntry entry;
        unsigned major = 0, minor = 0;
        std::string majmin(fields[2]);
        if (std::sscanf(majmin.c_str(), "%u:%u", &major, &minor) == 2) entry.device = makedev(major, minor);
        entry.mountPoint = unescapeOctal(fields[4]);
        entry.fsType = unescapeOctal(dash[1]);
        entry.source = unescapeOctal(dash[2]);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

std::vector<MountEntry> readMountTable() {
    std::ifstream in("/proc/self/mountinfo");
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parseMountInfo(text.str());
}

bool isVirtualOrNetworkFileSystem(std::string_view fsType) {
    return std::find(kVirtualOrNetwork.begin(), kVirtualOrNetwork.end(), fsType) != kVirtualOrNetwork.end();
}

std::vector<std::string> undescendedPaths(const std::vector<MountEntry>& mounts) {
    std::vector<std::string> paths(kNeverDescended.begin(), kNeverDescended.end());
    std::map<std::string_view, std::string_view> visible; // mount point -> type of the last mount there
    for (const MountEntry& m : mounts) visible[m.mountPoint] = m.fsType;
    for (const auto& [point, type] : visible)
        if (isVirtualOrNetworkFileSystem(type)) paths.emplace_back(point);
    return paths;
}

} // namespace platform
