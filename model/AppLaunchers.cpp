#include "model/AppLaunchers.h"

#include "platform/DesktopEntry.h"
#include "platform/Paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>

namespace AppUninstaller {
namespace {

namespace fs = std::filesystem;

bool isIconFile(const fs::path& path) {
    static constexpr std::array<std::string_view, 5> kExtensions = {".png", ".svg", ".svgz", ".xpm", ".ico"};
    const std::string extension = path.extension().string();
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

// The folder with its root's links resolved, when every part below the root is a real folder; else
// empty.
std::string realFolder(const IconFolder& folder) {
    std::string path = platform::resolvedPath(folder.root);
    if (path.empty()) return {};
    std::string_view below = folder.below;
    while (!below.empty()) {
        const size_t slash = below.find('/');
        const std::string_view part = below.substr(0, slash);
        below.remove_prefix(slash == std::string_view::npos ? below.size() : slash + 1);
        if (part.empty() || part == "." || part == "..") return {};
        if (path != "/") path += '/';
        path.append(part);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    }
    return path;
}

} // namespace

std::string AppLaunchers::iconFile(const std::string& path, const std::vector<std::string>& folders) {
    // Judged by where it really is: a path spelled inside an icon folder may lead anywhere through a
    // link or "..", and the Trash's rename must not follow a link in its middle either.
    std::string resolved = platform::resolvedPath(path);
    if (resolved.empty() || !isIconFile(resolved)) return {};
    if (std::none_of(folders.begin(), folders.end(),
                     [&](const std::string& folder) { return platform::isBelow(resolved, folder); }))
        return {};
    struct stat st {};
    if (::lstat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return resolved;
}

AppLaunchers::AppLaunchers(const std::vector<platform::DesktopEntry>& entries,
                           const std::vector<IconFolder>& iconFolders, std::stop_token stop)
    : launching_(entries, LaunchingEntries::Programs::execAndTryExec, stop) {
    std::vector<std::string> folders;
    for (const auto& folder : iconFolders)
        if (std::string real = realFolder(folder); !real.empty()) folders.push_back(std::move(real));

    std::vector<std::string> iconValues;
    std::set<std::string, std::less<>> themeNames;
    for (const auto& desktopEntry : entries) {
        if (stop.stop_requested()) return;
        Entry entry;
        entry.path = desktopEntry.path;
        for (const platform::EntryProgram& program : {desktopEntry.exec, desktopEntry.tryExec})
            if (!program.path.empty()) entry.programs.emplace_back(program.path, program.resolved);
        entry.shown = platform::isShownApplication(desktopEntry);
        iconValues.push_back(desktopEntry.trimmedValue("Icon"));
        if (!iconValues.back().empty() && iconValues.back().find('/') == std::string::npos)
            themeNames.insert(iconValues.back());
        entries_.push_back(std::move(entry));
    }

    // Every size and context of a theme icon answers to the same name, so all of them go together.
    std::map<std::string, std::vector<std::string>, std::less<>> themeFiles;
    for (const auto& folder : folders) {
        std::error_code ec;
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator() && !stop.stop_requested(); it.increment(ec)) {
            const fs::path& path = it->path();
            if (!isIconFile(path)) continue;
            if (auto named = themeNames.find(path.stem().string()); named != themeNames.end())
                themeFiles[*named].push_back(path.string());
        }
    }

    for (size_t i = 0; i < entries_.size() && !stop.stop_requested(); ++i) {
        const std::string& icon = iconValues[i];
        std::vector<std::string> candidates;
        if (!icon.empty() && icon[0] == '/')
            candidates = {icon};
        else if (auto found = themeFiles.find(icon); found != themeFiles.end())
            candidates = found->second;
        std::set<std::string> files;
        for (const auto& candidate : candidates)
            if (std::string file = iconFile(candidate, folders); !file.empty()) files.insert(std::move(file));
        entries_[i].icons.assign(files.begin(), files.end());
        for (const auto& file : entries_[i].icons)
            ++iconNamers_[file];
    }
}

std::vector<std::string> AppLaunchers::of(const std::string& appImagePath) const {
    const std::string resolved = platform::resolvedPath(appImagePath);
    auto startsOther = [&](const auto& program) {
        return !launches(program.first, program.second, appImagePath, resolved) &&
               program.first.ends_with(".AppImage");
    };
    std::vector<const Entry*> mine;
    for (size_t i : launching_.of(appImagePath, resolved)) {
        if (i >= entries_.size()) break; // a stopped construction took fewer entries than its map
        const Entry& entry = entries_[i];
        if (entry.shown && std::none_of(entry.programs.begin(), entry.programs.end(), startsOther))
            mine.push_back(&entry);
    }
    if (mine.empty()) return {};

    // An icon is this app's alone when its own entries are all that name it, by path or by theme name.
    std::map<std::string_view, size_t> named;
    for (const Entry* entry : mine)
        for (const auto& file : entry->icons)
            ++named[file];
    std::vector<std::string> out;
    for (const Entry* entry : mine)
        out.push_back(entry->path);
    for (const auto& [file, count] : named)
        if (iconNamers_.at(std::string(file)) == count) out.emplace_back(file);
    return out;
}

} // namespace AppUninstaller
