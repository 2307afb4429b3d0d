#include "model/AppLaunchers.h"

#include "platform/DesktopEntry.h"
#include "platform/Paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string_view>

namespace AppUninstaller {
namespace {

namespace fs = std::filesystem;

bool isIconFile(const fs::path& path) {
    static constexpr std::array<std::string_view, 4> kExtensions = {".png", ".svg", ".svgz", ".xpm"};
    const std::string extension = path.extension().string();
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

} // namespace

bool launches(const std::string& program, const std::string& resolvedProgram, const std::string& appImagePath,
              const std::string& resolvedAppImage) {
    if (program.empty() || program[0] != '/') return false;
    if (program == appImagePath) return true;
    return !resolvedAppImage.empty() && (program == resolvedAppImage || resolvedProgram == resolvedAppImage);
}

AppLaunchers::AppLaunchers(const std::vector<platform::DesktopEntry>& entries, const std::string& iconsFolder,
                           const std::string& home)
    : iconsFolder_(platform::standardizedPath(iconsFolder)), home_(platform::standardizedPath(home)) {
    for (const auto& desktopEntry : entries) {
        Entry entry;
        entry.path = desktopEntry.path;
        for (const std::string& program : {desktopEntry.execProgram(), desktopEntry.trimmedValue("TryExec")})
            if (!program.empty() && program[0] == '/')
                entry.programs.emplace_back(program, platform::resolvedPath(program));
        entry.icon = desktopEntry.trimmedValue("Icon");
        entry.shown = platform::isShownApplication(desktopEntry);
        entries_.push_back(std::move(entry));
    }

    // Every size and context of a theme icon answers to the same name, so all of them go together.
    std::error_code ec;
    fs::recursive_directory_iterator it(iconsFolder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!isIconFile(it->path()) || it->is_directory(typeError)) continue;
        themeIcons_[it->path().stem().string()].push_back(it->path().string());
    }
}

std::vector<AppLaunchers::IconFile> AppLaunchers::iconFilesOf(const Entry& entry) const {
    const std::string& icon = entry.icon;
    if (icon.empty()) return {};
    if (icon[0] == '/') {
        // Only the user's own files: an icon in /usr or /opt belongs to what installed it.
        std::string path = platform::standardizedPath(icon);
        struct stat st {};
        if (!platform::isBelow(path, home_) || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            return {};
        std::string name = platform::isBelow(path, iconsFolder_) ? fs::path(path).stem().string() : "";
        return {{std::move(path), std::move(name)}};
    }
    if (icon.find('/') != std::string::npos) return {};
    auto found = themeIcons_.find(icon);
    if (found == themeIcons_.end()) return {};
    std::vector<IconFile> files;
    for (const auto& path : found->second)
        files.push_back({platform::standardizedPath(path), icon});
    return files;
}

std::vector<std::string> AppLaunchers::of(const std::string& appImagePath) const {
    const std::string resolved = platform::resolvedPath(appImagePath);
    auto startsThis = [&](const auto& program) {
        return launches(program.first, program.second, appImagePath, resolved);
    };
    auto startsOther = [&](const auto& program) {
        return !startsThis(program) && program.first.ends_with(".AppImage");
    };
    std::vector<const Entry*> mine, others;
    for (const auto& entry : entries_) {
        const bool own = entry.shown &&
                         std::any_of(entry.programs.begin(), entry.programs.end(), startsThis) &&
                         std::none_of(entry.programs.begin(), entry.programs.end(), startsOther);
        (own ? mine : others).push_back(&entry);
    }
    if (mine.empty()) return {};

    // What every other entry names, by path or by theme name; those icons are not this app's alone.
    std::set<std::string> otherPaths, otherNames;
    for (const Entry* entry : others) {
        if (entry->icon.empty()) continue;
        if (entry->icon[0] == '/')
            otherPaths.insert(platform::standardizedPath(entry->icon));
        else
            otherNames.insert(entry->icon);
    }
    const std::string self = platform::standardizedPath(appImagePath);
    std::set<std::string> icons;
    for (const Entry* entry : mine)
        for (auto& file : iconFilesOf(*entry))
            if (file.path != self && !otherPaths.contains(file.path) &&
                (file.name.empty() || !otherNames.contains(file.name)))
                icons.insert(std::move(file.path));

    std::vector<std::string> out;
    for (const Entry* entry : mine)
        out.push_back(entry->path);
    out.insert(out.end(), icons.begin(), icons.end());
    return out;
}

} // namespace AppUninstaller
