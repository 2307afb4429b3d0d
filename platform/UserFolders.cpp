#include "platform/UserFolders.h"

#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/TextLines.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace platform {

namespace {

std::string absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return std::string(withoutTrailingSlashes(value));
    return {};
}

std::string xdgFolder(const char* variable, std::string_view belowHome) {
    std::string folder = absoluteEnv(variable);
    if (!folder.empty()) return folder;
    std::string home = homeFolder();
    return (home == "/" ? "" : home) + "/" + std::string(belowHome);
}

} // namespace

std::string homeFolder() {
    std::string home = absoluteEnv("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return std::string(withoutTrailingSlashes(pw->pw_dir));
    return "/";
}

std::string dataHome() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}
std::string configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}
std::string cacheHome() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}
std::string stateHome() {
    return xdgFolder("XDG_STATE_HOME", ".local/state");
}

std::vector<std::string> dataDirs() {
    const char* value = std::getenv("XDG_DATA_DIRS");
    if (!value || !*value) return {"/usr/local/share", "/usr/share"};
    std::vector<std::string> dirs;
    std::string_view rest = value;
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (!dir.starts_with('/')) continue; // relative folders are not looked in
        std::string standardized = standardizedPath(dir);
        if (std::find(dirs.begin(), dirs.end(), standardized) == dirs.end())
            dirs.push_back(std::move(standardized));
    }
    return dirs;
}

std::string downloadFolderName() {
    const std::string fallback = "Downloads";
    // A few hundred bytes as xdg-user-dirs writes it; a FIFO, a device or a runaway file reads as absent.
    constexpr size_t kLimit = 64 * 1024;
    const auto text = readRegularFile(configHome() + "/user-dirs.dirs", kLimit, Links::follow);
    if (!text) return fallback;
    // XDG_DOWNLOAD_DIR="$HOME/Downloads" (the only form xdg-user-dirs writes besides an absolute path)
    constexpr std::string_view key = "XDG_DOWNLOAD_DIR=";
    std::optional<std::string_view> line;
    forEachLine(*text, [&](std::string_view l) {
        while (!l.empty() && (l.front() == ' ' || l.front() == '\t'))
            l.remove_prefix(1);
        if (!line && l.starts_with(key)) line = l.substr(key.size());
    });
    if (!line) return fallback;
    std::string_view l = *line;
    if (l.size() < 2 || l.front() != '"') return fallback;
    size_t close = l.find('"', 1);
    if (close == std::string_view::npos) return fallback;
    std::string value(l.substr(1, close - 1));
    std::string home = homeFolder();
    std::string relative;
    if (value.starts_with("$HOME/"))
        relative = value.substr(6);
    else if (value.starts_with(home + "/"))
        relative = value.substr(home.size() + 1);
    else
        return fallback;
    relative = std::string(withoutTrailingSlashes(relative));
    // Only a folder directly in the home folder can be matched by name.
    if (relative.empty() || relative.find('/') != std::string::npos || relative == "." || relative == "..")
        return fallback;
    return relative;
}

} // namespace platform
