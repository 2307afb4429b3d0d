#include "platform/Paths.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace platform {

std::optional<std::string> normalizedAbsolutePath(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::string result;
    result.reserve(path.size());
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/')
            ++i;
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

std::string standardizedPath(std::string_view path) {
    const bool absolute = !path.empty() && path.front() == '/';
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
            continue;
        }
        parts.push_back(part);
    }
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '/';
        out += parts[i];
    }
    if (out.empty()) out = ".";
    return out;
}

bool isBelow(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

std::string_view withoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

std::string absolutePath(std::string_view path) {
    if (!path.empty() && path.front() == '/') return standardizedPath(path);
    std::error_code error;
    const std::string cwd = std::filesystem::current_path(error).string();
    // A working folder that was deleted has no name: losing it would leave "/" + path.
    if (error || cwd.empty() || cwd.front() != '/') return {};
    return standardizedPath(cwd + "/" + std::string(path));
}

std::string parentFolder(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

std::string lastComponent(std::string_view path) {
    path = withoutTrailingSlashes(path);
    if (path == "/") return std::string(path);
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string resolvedPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

std::string resolvedItemPath(const std::string& path) {
    std::string parent = resolvedPath(parentFolder(path));
    if (parent.empty()) return {};
    return (parent == "/" ? "" : parent) + "/" + lastComponent(path);
}

} // namespace platform
