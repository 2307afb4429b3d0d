#include "platform/IconTheme.h"

#include "platform/FileIO.h"
#include "platform/TextLines.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <map>
#include <optional>
#include <set>

namespace platform {
namespace {

constexpr size_t kIndexLimit = 1024 * 1024;
constexpr std::array<std::string_view, 3> kExtensions = {".png", ".svg", ".xpm"};

struct ThemeFolder {
    std::string path; // below the theme's folder
    enum class Type { fixed, scalable, threshold } type = Type::threshold;
    int size = 0, minSize = 0, maxSize = 0, threshold = 2;

    int distance(int wanted) const {
        int low = minSize, high = maxSize;
        if (type == Type::fixed) low = high = size;
        if (type == Type::threshold) low = size - threshold, high = size + threshold;
        return wanted < low ? low - wanted : wanted > high ? wanted - high : 0;
    }
};

struct Theme {
    std::vector<ThemeFolder> folders;
    std::vector<std::string> inherits;
};

std::vector<std::string> commaList(std::string_view value) {
    std::vector<std::string> out;
    while (!value.empty()) {
        const size_t comma = value.find(',');
        if (std::string_view item = trimmed(value.substr(0, comma)); !item.empty()) out.emplace_back(item);
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    return out;
}

int number(const std::map<std::string, std::string, std::less<>>& group, std::string_view key,
           int otherwise) {
    auto found = group.find(key);
    if (found == group.end()) return otherwise;
    int value = otherwise;
    const std::string& text = found->second;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The theme's index.theme from the first folder that has one, as the desktop reads it.
std::optional<Theme> readTheme(const std::string& name, const std::vector<std::string>& folders) {
    for (const auto& folder : folders) {
        auto text = readRegularFile(folder + "/" + name + "/index.theme", kIndexLimit, Links::follow);
        if (!text) continue;
        std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> groups;
        std::map<std::string, std::string, std::less<>>* group = nullptr;
        forEachLine(*text, [&](std::string_view raw) {
            std::string_view line = trimmed(raw);
            if (line.empty() || line[0] == '#') return;
            if (line.front() == '[' && line.back() == ']') {
                group = &groups[std::string(line.substr(1, line.size() - 2))];
                return;
            }
            const size_t eq = line.find('=');
            if (group && eq != std::string_view::npos)
                group->try_emplace(std::string(trimmed(line.substr(0, eq))), trimmed(line.substr(eq + 1)));
        });
        auto header = groups.find("Icon Theme");
        if (header == groups.end()) continue;
        Theme theme;
        theme.inherits = commaList(header->second["Inherits"]);
        for (const auto& path : commaList(header->second["Directories"])) {
            auto& values = groups[path];
            ThemeFolder themeFolder;
            themeFolder.path = path;
            const int scale = std::max(1, number(values, "Scale", 1));
            themeFolder.size = number(values, "Size", 0) * scale;
            if (themeFolder.size <= 0) continue;
            themeFolder.minSize = number(values, "MinSize", themeFolder.size / scale) * scale;
            themeFolder.maxSize = number(values, "MaxSize", themeFolder.size / scale) * scale;
            themeFolder.threshold = number(values, "Threshold", 2) * scale;
            const std::string& type = values["Type"];
            if (type == "Fixed") themeFolder.type = ThemeFolder::Type::fixed;
            if (type == "Scalable") themeFolder.type = ThemeFolder::Type::scalable;
            theme.folders.push_back(std::move(themeFolder));
        }
        return theme;
    }
    return std::nullopt;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The icon in one theme, or in what it inherits; `seen` keeps inheritance loops finite.
std::string findInTheme(std::string_view name, const std::string& themeName, const IconThemeSearch& search,
                        int size, std::set<std::string>& seen) {
    if (themeName.empty() || !seen.insert(themeName).second) return {};
    const auto theme = readTheme(themeName, search.folders);
    if (!theme) return {};
    auto fileIn = [&](const ThemeFolder& themeFolder) -> std::string {
        for (const auto& folder : search.folders)
            for (std::string_view extension : kExtensions) {
                std::string path = folder + "/" + themeName + "/" + themeFolder.path + "/";
                path.append(name).append(extension);
                if (isRegularFile(path)) return path;
            }
        return {};
    };
    std::string best;
    int bestDistance = INT_MAX;
    for (const auto& themeFolder : theme->folders) {
        const int distance = themeFolder.distance(size);
        if (distance >= bestDistance) continue;
        std::string path = fileIn(themeFolder);
        if (path.empty()) continue;
        if (distance == 0) return path;
        best = std::move(path);
        bestDistance = distance;
    }
    if (!best.empty()) return best;
    for (const auto& parent : theme->inherits)
        if (std::string found = findInTheme(name, parent, search, size, seen); !found.empty()) return found;
    return {};
}

} // namespace

std::string findThemeIcon(std::string_view name, const IconThemeSearch& search, int size) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) return {};
    std::set<std::string> seen;
    std::vector<std::string> themes = search.themes;
    themes.emplace_back("hicolor");
    for (const auto& theme : themes)
        if (std::string found = findInTheme(name, theme, search, size, seen); !found.empty()) return found;
    for (const auto& folder : search.fallbackFolders)
        for (std::string_view extension : kExtensions) {
            std::string path = folder + "/";
            path.append(name).append(extension);
            if (isRegularFile(path)) return path;
        }
    return {};
}

} // namespace platform
