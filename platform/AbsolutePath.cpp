#include "platform/AbsolutePath.h"

namespace platform {

std::optional<std::string> normalizedAbsolutePath(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::string result;
    result.reserve(path.size());
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/') ++i;
        size_t end = path.find('/', i);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(i, end - i);
        i = end;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        if (part.find('\0') != std::string_view::npos) return std::nullopt;
        result += '/';
        result += part;
    }
    if (result.empty()) return std::nullopt; // "/" itself is never trashed
    return result;
}

bool isBelow(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

} // namespace platform
