#include "platform/MountTable.h"

#include "platform/FileIO.h"
#include "platform/TextLines.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace platform {
namespace {

// mountinfo escapes space, tab, newline and backslash as three octal digits (\040).
std::string unescapeOctal(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

constexpr std::array<std::string_view, 9> kNeverDescended = {
    "/proc", "/sys", "/dev", "/run", "/media", "/mnt", "/net", "/snap", "/.snapshots",
};

constexpr std::array<std::string_view, 26> kVirtualOrNetwork = {
    "proc",       "sysfs",     "devtmpfs", "devpts",      "tmpfs",      "cgroup",   "cgroup2",
    "securityfs", "debugfs",   "tracefs",  "pstore",      "bpf",        "configfs", "fusectl",
    "mqueue",     "hugetlbfs", "autofs",   "binfmt_misc", "efivarfs",   "overlay",  "squashfs",
    "nfs",        "nfs4",      "cifs",     "smb3",        "fuse.sshfs",
};

} // namespace

bool MountEntry::hasOption(std::string_view option) const {
    size_t start = 0;
    while (start <= options.size()) {
        size_t end = options.find(',', start);
        if (end == std::string::npos) end = options.size();
        if (std::string_view(options).substr(start, end - start) == option) return true;
        start = end + 1;
    }
    return false;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    forEachLine(text, [&](std::string_view line) {
        std::vector<std::string_view> fields = splitWords(line);
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
        if (fields.size() < 6 || dash == fields.end() || dash - fields.begin() < 6 || fields.end() - dash < 3)
            return;
        MountEntry entry;
        unsigned major = 0, minor = 0;
        std::string majmin(fields[2]);
        if (std::sscanf(majmin.c_str(), "%u:%u", &major, &minor) == 2) entry.device = makedev(major, minor);
        entry.root = unescapeOctal(fields[3]);
        entry.mountPoint = unescapeOctal(fields[4]);
        entry.options = std::string(fields[5]);
        entry.fsType = unescapeOctal(dash[1]);
        entry.source = unescapeOctal(dash[2]);
        mounts.push_back(std::move(entry));
    });
    return mounts;
}

std::vector<MountEntry> readMountTable(const std::string& path) {
    auto text = readTextFile(path);
    return text ? parseMountInfo(*text) : std::vector<MountEntry>{};
}

std::optional<MountEntry> mountContaining(const std::vector<MountEntry>& mounts, std::string_view path) {
    const MountEntry* best = nullptr;
    for (const auto& m : mounts) {
        const std::string& mp = m.mountPoint;
        bool contains = mp == "/"
                            ? path.starts_with('/')
                            : path.starts_with(mp) && (path.size() == mp.size() || path[mp.size()] == '/');
        if (contains && (!best || mp.size() >= best->mountPoint.size())) best = &m;
    }
    if (!best) return std::nullopt;
    return *best;
}

bool isVirtualOrNetworkFileSystem(std::string_view fsType) {
    return std::find(kVirtualOrNetwork.begin(), kVirtualOrNetwork.end(), fsType) != kVirtualOrNetwork.end();
}

std::vector<std::string> undescendedPaths(const std::vector<MountEntry>& mounts) {
    std::vector<std::string> paths(kNeverDescended.begin(), kNeverDescended.end());
    std::map<std::string_view, std::string_view> visible; // mount point -> type of the last mount there
    for (const MountEntry& m : mounts)
        visible[m.mountPoint] = m.fsType;
    for (const auto& [point, type] : visible)
        if (isVirtualOrNetworkFileSystem(type)) paths.emplace_back(point);
    return paths;
}

} // namespace platform
