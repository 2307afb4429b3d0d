#include "platform/MountInfo.h"

#include "platform/FileIO.h"

#include <cstdio>
#include <sstream>

namespace platform {
namespace {

// mountinfo writes space, tab, newline and backslash in paths as three octal digits (\040).
std::string decodeOctal(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size()) {
            const char* d = raw.c_str() + i + 1;
            if (d[0] >= '0' && d[0] <= '3' && d[1] >= '0' && d[1] <= '7' && d[2] >= '0' && d[2] <= '7') {
                out += static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

} // namespace

bool MountInfoEntry::hasOption(const std::string& option) const {
    size_t start = 0;
    while (start <= options.size()) {
        size_t end = options.find(',', start);
        if (end == std::string::npos) end = options.size();
        if (options.compare(start, end - start, option) == 0) return true;
        start = end + 1;
    }
    return false;
}

std::vector<MountInfoEntry> readMountInfo(const std::string& path) {
    std::vector<MountInfoEntry> mounts;
    auto text = readTextFile(path, 4 << 20);
    if (!text) return mounts;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, majmin, root, point, options, field;
        if (!(fields >> id >> parent >> majmin >> root >> point >> options)) continue;
        MountInfoEntry m;
        if (std::sscanf(majmin.c_str(), "%u:%u", &m.major, &m.minor) != 2) continue;
        while (fields >> field && field != "-") {} // optional fields end with a lone "-"
        fields >> m.fsType >> m.source;
        m.mountPoint = decodeOctal(point);
        m.options = options;
        m.source = decodeOctal(m.source);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::optional<MountInfoEntry> mountContaining(const std::vector<MountInfoEntry>& mounts, const std::string& path) {
    const MountInfoEntry* best = nullptr;
    for (const auto& m : mounts) {
        const std::string& mp = m.mountPoint;
        bool contains = mp == "/" ? !path.empty() && path[0] == '/'
                                  : path.compare(0, mp.size(), mp) == 0 &&
                                        (path.size() == mp.size() || path[mp.size()] == '/');
        if (contains && (!best || mp.size() >= best->mountPoint.size())) best = &m;
    }
    if (!best) return std::nullopt;
    return *best;
}

} // namespace platform
