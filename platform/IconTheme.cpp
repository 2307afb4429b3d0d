#include "platform/IconTheme.h"

#include "platform/FileIO.h"
#include "platform/TextLines.h"
#include "platform/UserFolders.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <unordered_set>
#include <utility>

namespace platform {
namespace {

constexpr size_t kIndexLimit = 1024 * 1024;
constexpr std::array<std::string_view, 3> kExtensions = {".png", ".svg", ".xpm"};
// Anyone may write an index.theme: its numbers are held to these, so a lookup's sums stay far from
// int's limits.
constexpr int kLargestSize = 1 << 16;
constexpr int kLargestScale = 64;

using Names = std::unordered_set<std::string>;

struct ThemeFolder {
    std::string path; // below the theme's folder
    // "base/theme/path/" for each base folder that has it, with what it holds
    std::vector<std::pair<std::string, std::shared_ptr<const Names>>> present;
    enum class Type { fixed, scalable, threshold } type = Type::threshold;
    int size = 0, minSize = 0, maxSize = 0, threshold = 2;

    int distance(int wanted) const {
        int low = minSize, high = maxSize;
        if (type == Type::fixed) low = high = size;
        if (type == Type::threshold) low = size - threshold, high = size + threshold;
        return wanted < low ? low - wanted : wanted > high ? wanted - high : 0;
    }
};

} // namespace

struct IconThemeIndex {
    std::vector<ThemeFolder> folders;
    std::vector<std::string> inherits;
};

namespace {

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

// The key's number held to [low, high], or `otherwise` when it is missing or no number.
int number(const std::map<std::string, std::string, std::less<>>& group, std::string_view key, int otherwise,
           int low, int high) {
    auto found = group.find(key);
    if (found == group.end()) return otherwise;
    int64_t value = otherwise;
    const std::string& text = found->second;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return int(std::clamp<int64_t>(value, low, high));
}

// The theme's index.theme from the first folder that has one, as the desktop reads it. `listed` counts
// the folders listed.
std::optional<IconThemeIndex> readIndex(const std::string& name, const std::vector<std::string>& folders,
                                        std::atomic<size_t>& listed) {
    for (const auto& folder : folders) {
        const std::string path = folder + "/" + name + "/index.theme";
        if (!isSmallRegularFile(path, kIndexLimit)) continue;
        auto text = readRegularFile(path, kIndexLimit, Links::follow);
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
        IconThemeIndex theme;
        theme.inherits = commaList(header->second["Inherits"]);
        // Anyone may write an index: a folder named twice, or spelled twice ("48//apps"), is listed once.
        std::set<std::string, std::less<>> named;
        std::map<std::pair<dev_t, ino_t>, std::shared_ptr<const Names>> listings;
        for (const auto& path : commaList(header->second["Directories"])) {
            if (!named.insert(path).second) continue;
            auto& values = groups[path];
            ThemeFolder themeFolder;
            themeFolder.path = path;
            const int scale = number(values, "Scale", 1, 1, kLargestScale);
            const int size = number(values, "Size", 0, 0, kLargestSize);
            if (size == 0) continue;
            themeFolder.size = size * scale;
            themeFolder.minSize = number(values, "MinSize", size, 0, kLargestSize) * scale;
            themeFolder.maxSize = number(values, "MaxSize", size, 0, kLargestSize) * scale;
            themeFolder.threshold = number(values, "Threshold", 2, 0, kLargestSize) * scale;
            const std::string& type = values["Type"];
            if (type == "Fixed") themeFolder.type = ThemeFolder::Type::fixed;
            if (type == "Scalable") themeFolder.type = ThemeFolder::Type::scalable;
            // A theme lists hundreds of folders, a base folder holds few of them, and an icon lies in
            // few: each folder is looked for and listed once here, not probed for every icon.
            for (const auto& base : folders) {
                std::string dir = base + "/" + name + "/" + path + "/";
                struct stat st {};
                if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
                auto& names = listings[{st.st_dev, st.st_ino}];
                if (!names) {
                    auto read = std::make_shared<Names>();
                    if (DIR* listing = ::opendir(dir.c_str())) {
                        while (const dirent* entry = ::readdir(listing))
                            read->emplace(entry->d_name);
                        ::closedir(listing);
                    }
                    ++listed;
                    names = std::move(read);
                }
                if (!names->empty()) themeFolder.present.emplace_back(std::move(dir), names);
            }
            if (themeFolder.present.empty()) continue;
            theme.folders.push_back(std::move(themeFolder));
        }
        return theme;
    }
    return std::nullopt;
}

} // namespace

IconThemeSearch desktopIconSearch(std::vector<std::string> themes) {
    IconThemeSearch search;
    const std::string home = homeFolder();
    search.folders.push_back((home == "/" ? "" : home) + "/.icons");
    std::vector<std::string> data = dataDirs();
    data.insert(data.begin(), dataHome());
    for (const auto& folder : data)
        if (std::string icons = (folder == "/" ? "" : folder) + "/icons";
            std::find(search.folders.begin(), search.folders.end(), icons) == search.folders.end())
            search.folders.push_back(std::move(icons));
    search.themes = std::move(themes);
    search.fallbackFolders = {"/usr/share/pixmaps"};
    return search;
}

bool isSmallRegularFile(const std::string& path, uint64_t limit) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= limit;
}

IconThemes::IconThemes(IconThemeSearch search, uint64_t fileLimit)
    : search_(std::move(search)), fileLimit_(fileLimit) {}

IconThemes::~IconThemes() = default;

std::shared_ptr<const IconThemeIndex> IconThemes::index(const std::string& themeName) const {
    // Read under the lock: a second thread that needs the same index waits for it rather than reading
    // it again.
    std::lock_guard lock(mutex_);
    auto found = indexes_.find(themeName);
    if (found == indexes_.end()) {
        std::shared_ptr<const IconThemeIndex> read;
        if (auto index = readIndex(themeName, search_.folders, foldersListed_))
            read = std::make_shared<const IconThemeIndex>(std::move(*index));
        found = indexes_.emplace(themeName, std::move(read)).first;
    }
    return found->second;
}

// The icon in one theme, or in what it inherits; `seen` keeps inheritance loops finite.
std::string IconThemes::findIn(std::string_view name, const std::string& themeName, int size,
                               std::vector<std::string>& seen) const {
    if (themeName.empty() || std::find(seen.begin(), seen.end(), themeName) != seen.end()) return {};
    seen.push_back(themeName);
    const auto theme = index(themeName);
    if (!theme) return {};
    auto fileIn = [&](const ThemeFolder& themeFolder) -> std::string {
        for (const auto& [folder, names] : themeFolder.present)
            for (std::string_view extension : kExtensions) {
                std::string file(name);
                file.append(extension);
                if (!names->contains(file)) continue;
                if (std::string path = folder + file; isSmallRegularFile(path, fileLimit_)) return path;
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
        if (std::string found = findIn(name, parent, size, seen); !found.empty()) return found;
    return {};
}

std::string IconThemes::find(std::string_view name, int size) const {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) return {};
    size = std::clamp(size, 1, kLargestSize * kLargestScale);
    std::vector<std::string> seen;
    std::vector<std::string> themes = search_.themes;
    themes.emplace_back("hicolor");
    for (const auto& theme : themes)
        if (std::string found = findIn(name, theme, size, seen); !found.empty()) return found;
    for (const auto& folder : search_.fallbackFolders)
        for (std::string_view extension : kExtensions) {
            std::string path = folder + "/";
            path.append(name).append(extension);
            if (isSmallRegularFile(path, fileLimit_)) return path;
        }
    return {};
}

} // namespace platform
