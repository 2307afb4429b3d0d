#include "model/AppUninstaller.h"

#include "model/AppLaunchers.h"
#include "model/LeftoverKeys.h"
#include "platform/DesktopEntry.h"
#include "platform/MountTable.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <initializer_list>
#include <numeric>
#include <set>
#include <string_view>

namespace AppUninstaller {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAppImageSuffix = ".AppImage";
constexpr size_t kMinimumKeyLength = 3;

// Entries the whole desktop shares; removing one with an application would hurt every other one.
const std::set<std::string, std::less<>>& sharedEntries() {
    static const std::set<std::string, std::less<>> entries = {
        "trash",       "applications",  "flatpak",        "keyrings",         "icons",
        "fonts",       "mime",          "dconf",          "systemd",          "autostart",
        "gnome-shell", "mimeapps.list", "user-dirs.dirs", "user-dirs.locale", "recently-used.xbel",
    };
    return entries;
}

// Names are bytes: only ASCII letters lose their case. Folding anything else would need a decoding,
// and names that are not UTF-8 would all decode to the same replacement characters.
std::string lowerCased(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Characters, not bytes: UTF-8 continuation bytes do not count.
size_t characterCount(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string withoutSpaces(std::string s) {
    std::erase(s, ' ');
    return s;
}

// An empty or tiny key would match most of a folder: "a" is in half of ~/.config.
bool countsAsKey(const std::string& key) {
    return characterCount(withoutSpaces(key)) >= kMinimumKeyLength;
}

bool isSeparator(char c) {
    return c == '-' || c == '_' || c == ' ' || c == '.';
}

// "1.2.3", "v2", "2023.10.1", "1.0.0rc1": a digit (after an optional v) starting dotted parts.
bool looksLikeVersion(std::string_view token, bool& dotted) {
    if (!token.empty() && (token[0] == 'v' || token[0] == 'V')) token.remove_prefix(1);
    if (token.empty() || token[0] < '0' || token[0] > '9') return false;
    dotted = false;
    bool partEmpty = false;
    for (char c : token) {
        if (c == '.') {
            if (partEmpty) return false;
            dotted = partEmpty = true;
        } else if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            partEmpty = false;
        } else {
            return false;
        }
    }
    return !partEmpty;
}

// The desktop entries that may name an AppImage: the first (by ID) whose Exec starts it, among those the
// menu lists when `listedOnly`. Each entry's program as resolved when the entries were read, not again
// for every AppImage.
struct Naming {
    Naming(const std::vector<platform::DesktopEntry>& entries, bool listedOnly, std::stop_token stop = {})
        : entries(entries), launching(entries, LaunchingEntries::Programs::exec, stop),
          listedOnly(listedOnly) {}

    const platform::DesktopEntry* entryOf(const std::string& path, const std::string& resolved) const {
        for (size_t i : launching.of(path, resolved))
            if (!listedOnly || platform::isListedApplication(entries[i])) return &entries[i];
        return nullptr;
    }

    const std::vector<platform::DesktopEntry>& entries;
    LaunchingEntries launching;
    bool listedOnly;
};

} // namespace

int64_t InstalledApp::totalSize() const {
    int64_t total = bundleSize;
    for (const auto& group : leftovers)
        total += group.totalSize;
    return total;
}

Environment userEnvironment(SizeFunction sizeOf) {
    Environment env;
    env.home = platform::homeFolder();
    env.desktopEntriesFolder = platform::dataHome() + "/applications";
    env.iconFolders = {{platform::dataHome(), "icons/hicolor"},
                       {env.home, ".icons/hicolor"},
                       {platform::dataHome(), "pixmaps"}};
    env.leftoverFolders = {
        {"Caches", platform::cacheHome()},
        {"Preferences", platform::configHome()},
        {"Application Support", platform::dataHome()},
        {"Logs", platform::stateHome()},
        {"Container Data", (env.home == "/" ? "" : env.home) + "/.var/app"},
    };
    env.sizeOf = std::move(sizeOf);
    return env;
}

std::string applicationsFolder(const Environment& env) {
    return env.home + "/Applications";
}

StemParts splitStem(const std::string& stem) {
    static constexpr std::array<std::string_view, 13> kArchitectures = {
        "x86_64", "x86-64", "amd64", "x64",  "aarch64", "arm64", "armhf",
        "armv7l", "armv7",  "i386",  "i686", "x86",     "ia32",
    };
    std::string_view rest(stem);
    auto trimSeparators = [&] {
        while (!rest.empty() && isSeparator(rest.back()))
            rest.remove_suffix(1);
    };
    trimSeparators();
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (std::string_view arch : kArchitectures) {
            if (rest.size() <= arch.size() || !isSeparator(rest[rest.size() - arch.size() - 1])) continue;
            if (lowerCased(rest.substr(rest.size() - arch.size())) != arch) continue;
            rest.remove_suffix(arch.size());
            trimSeparators();
            stripped = true;
        }
    }

    // Tokens split at '-', '_' and ' ' (dots belong to versions). The version starts at the first
    // dotted version-like token after the first; without one, at the last undotted one.
    size_t versionStart = std::string_view::npos, undottedStart = std::string_view::npos;
    size_t tokenIndex = 0;
    for (size_t i = 0; i < rest.size();) {
        while (i < rest.size() && (rest[i] == '-' || rest[i] == '_' || rest[i] == ' '))
            ++i;
        size_t start = i;
        while (i < rest.size() && rest[i] != '-' && rest[i] != '_' && rest[i] != ' ')
            ++i;
        if (i == start) break;
        bool dotted = false;
        if (tokenIndex++ > 0 && looksLikeVersion(rest.substr(start, i - start), dotted)) {
            if (dotted) {
                versionStart = start;
                break;
            }
            undottedStart = start;
        }
    }
    if (versionStart == std::string_view::npos) versionStart = undottedStart;

    StemParts parts;
    if (versionStart == std::string_view::npos) {
        parts.name = std::string(rest);
        return parts;
    }
    std::string_view version = rest.substr(versionStart);
    if (version.size() > 1 && (version[0] == 'v' || version[0] == 'V')) version.remove_prefix(1);
    parts.version = std::string(version);
    rest = rest.substr(0, versionStart);
    trimSeparators();
    parts.name = std::string(rest);
    return parts;
}

namespace {

// The access time of `path` (whose links resolve to `resolved`), or none under noatime.
std::optional<double> lastUsedDate(const std::string& path, const std::string& resolved,
                                   const std::vector<platform::MountEntry>& mounts) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    auto mount = platform::mountContaining(mounts, resolved.empty() ? path : resolved);
    // Under noatime the access time is only the creation time and says nothing about use.
    if (mount && mount->hasOption("noatime")) return std::nullopt;
    return static_cast<double>(st.st_atim.tv_sec) + static_cast<double>(st.st_atim.tv_nsec) / 1e9;
}

// appInfo with the entries' map built and the mount table read once for the whole listing.
std::optional<InstalledApp> appInfo(const std::string& appImagePath, const Naming& naming,
                                    const Environment& env, const std::vector<platform::MountEntry>& mounts) {
    std::string fileName = fs::path(appImagePath).filename().string();
    if (fileName.size() <= kAppImageSuffix.size() || !fileName.ends_with(kAppImageSuffix))
        return std::nullopt;
    struct stat st {};
    if (::lstat(appImagePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 0111) == 0)
        return std::nullopt;

    StemParts parts = splitStem(fileName.substr(0, fileName.size() - kAppImageSuffix.size()));
    InstalledApp app;
    app.bundleURL = appImagePath;
    const std::string resolved = platform::resolvedPath(appImagePath);
    if (const auto* entry = naming.entryOf(appImagePath, resolved)) {
        app.bundleIdentifier = entry->id;
        app.displayName = entry->trimmedValue("Name");
        if (std::string v = entry->trimmedValue("X-AppImage-Version"); !v.empty()) app.version = v;
        app.icon = entry->trimmedValue("Icon");
    } else {
        app.bundleIdentifier = lowerCased(parts.name);
    }
    if (app.displayName.empty()) app.displayName = parts.name;
    if (!app.version && !parts.version.empty()) app.version = parts.version;
    if (app.bundleIdentifier.empty()) return std::nullopt;

    app.id = QUuid::createUuid();
    app.lastUsedDate = lastUsedDate(appImagePath, resolved, mounts);
    app.bundleSize = env.sizeOf ? env.sizeOf(appImagePath) : 0;
    return app;
}

} // namespace

std::optional<double> lastUsedDate(const std::string& path, const std::string& mountInfoPath) {
    return lastUsedDate(path, platform::resolvedPath(path), platform::readMountTable(mountInfoPath));
}

std::optional<InstalledApp> appInfo(const std::string& appImagePath,
                                    const std::vector<platform::DesktopEntry>& desktopEntries,
                                    const Environment& env) {
    return appInfo(appImagePath, Naming(desktopEntries, false), env,
                   platform::readMountTable(env.mountInfoPath));
}

std::vector<InstalledApp> listApps(const std::string& folder, const Environment& env,
                                   const std::vector<platform::DesktopEntry>* desktopFiles,
                                   std::stop_token stop) {
    std::vector<std::string> paths;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator() && !stop.stop_requested(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() > kAppImageSuffix.size() && name.ends_with(kAppImageSuffix))
            paths.push_back(it->path().string());
    }
    if (paths.empty()) return {};
    std::vector<platform::DesktopEntry> read;
    if (!desktopFiles) desktopFiles = &(read = platform::readDesktopFiles(env.desktopEntriesFolder, stop));
    // Only an entry the menu lists names an app: a hidden one's name is none the user knows it by.
    const Naming naming(*desktopFiles, true, stop);
    const std::vector<platform::MountEntry> mounts = platform::readMountTable(env.mountInfoPath);
    return parallelMap(
        paths, [&](const std::string& path) { return appInfo(path, naming, env, mounts); }, stop);
}

std::optional<LibraryListing> listLibraryFolder(const std::string& label, const std::string& folder,
                                                std::stop_token stop) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    LibraryListing listing{label, {}};
    for (; !ec && it != fs::directory_iterator() && !stop.stop_requested(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        listing.entries.emplace_back(it->path().string(), lowerCased(name));
    }
    return listing;
}

std::string identifierKey(const InstalledApp& app) {
    return lowerCased(app.bundleIdentifier);
}

std::string nameKey(const InstalledApp& app) {
    return withoutSpaces(lowerCased(app.displayName));
}

namespace {

// The keys that count, each for `owner`.
void addKeys(std::vector<std::pair<std::string, size_t>>& keys, std::initializer_list<std::string> found,
             size_t owner) {
    for (const std::string& key : found)
        if (countsAsKey(key)) keys.emplace_back(key, owner);
}

// The owners of the keys `name` holds; none for a shared entry of the desktop.
std::vector<size_t> ownersOf(const LeftoverKeys& index, const std::string& lowerCasedName) {
    return sharedEntries().contains(lowerCasedName) ? std::vector<size_t>() : index.owners(lowerCasedName);
}

} // namespace

bool matchesLeftover(const std::string& lowerCasedEntryName, const std::string& identifierKey,
                     const std::string& nameKey) {
    std::vector<std::pair<std::string, size_t>> keys;
    addKeys(keys, {identifierKey, nameKey}, 0);
    return !ownersOf(LeftoverKeys(keys), lowerCasedEntryName).empty();
}

namespace {

// The entries of each app's leftovers: (listing, entry) positions, in listing order.
using Matches = std::vector<std::pair<size_t, size_t>>;

// What matchesLeftover gives for every app and every entry, from one reading of each entry's name.
std::vector<Matches> matchAll(const std::vector<InstalledApp>& apps,
                              const std::vector<LibraryListing>& listings, std::stop_token stop) {
    std::vector<std::pair<std::string, size_t>> keys;
    for (size_t i = 0; i < apps.size() && !stop.stop_requested(); ++i)
        addKeys(keys, {identifierKey(apps[i]), nameKey(apps[i])}, i);
    const LeftoverKeys index(keys, stop);
    std::vector<Matches> matches(apps.size());
    for (size_t l = 0; l < listings.size(); ++l) {
        for (size_t e = 0; e < listings[l].entries.size(); ++e) {
            if (stop.stop_requested()) return matches;
            for (size_t app : ownersOf(index, listings[l].entries[e].second))
                matches[app].emplace_back(l, e);
        }
    }
    return matches;
}

// `app` with a group of its matched entries per listing, measured, then "Launchers".
InstalledApp withLeftovers(InstalledApp app, const std::vector<LibraryListing>& listings,
                           const Matches& matches, const SizeFunction& sizeOf, const AppLaunchers* launchers,
                           std::stop_token stop) {
    app.leftovers.clear();
    for (size_t k = 0; k < matches.size();) {
        const size_t l = matches[k].first;
        LeftoverGroup group{QUuid::createUuid(), listings[l].label, {}, 0};
        for (; k < matches.size() && matches[k].first == l; ++k) {
            if (stop.stop_requested()) return app;
            const std::string& path = listings[l].entries[matches[k].second].first;
            group.urls.push_back(path);
            if (sizeOf) group.totalSize += sizeOf(path);
        }
        app.leftovers.push_back(std::move(group));
    }
    if (!launchers || stop.stop_requested()) return app;

    // A launcher inside (or holding) a path already offered would move twice; the first move wins.
    std::vector<std::string> offered;
    for (const auto& group : app.leftovers)
        for (const auto& url : group.urls)
            offered.push_back(platform::standardizedPath(url));
    LeftoverGroup group{QUuid(), kLaunchersCategory, {}, 0};
    for (auto& path : launchers->of(app.bundleURL)) {
        if (stop.stop_requested()) return app;
        const std::string standardized = platform::standardizedPath(path);
        if (std::any_of(offered.begin(), offered.end(), [&](const std::string& other) {
                return other == standardized || platform::isBelow(standardized, other) ||
                       platform::isBelow(other, standardized);
            }))
            continue;
        if (sizeOf) group.totalSize += sizeOf(path);
        group.urls.push_back(std::move(path));
    }
    if (group.urls.empty()) return app;
    group.id = QUuid::createUuid();
    app.leftovers.push_back(std::move(group));
    return app;
}

} // namespace

InstalledApp matchLeftovers(InstalledApp app, const std::vector<LibraryListing>& listings,
                            const SizeFunction& sizeOf, const AppLaunchers* launchers, std::stop_token stop) {
    const Matches matches = matchAll({app}, listings, stop).front();
    return withLeftovers(std::move(app), listings, matches, sizeOf, launchers, stop);
}

std::vector<InstalledApp> loadApps(std::vector<InstalledApp> apps, const Environment& env,
                                   const std::vector<platform::DesktopEntry>* desktopFiles,
                                   std::stop_token stop) {
    // A folder that two variables name is listed once; the service's own folders are never leftovers.
    std::set<std::string> protectedPaths = {platform::standardizedPath(env.home),
                                            platform::standardizedPath(applicationsFolder(env)),
                                            platform::standardizedPath(env.desktopEntriesFolder)};
    for (const auto& folder : env.leftoverFolders)
        protectedPaths.insert(platform::standardizedPath(folder.path));
    std::set<std::string> listed;
    std::vector<LibraryListing> listings;
    for (const auto& folder : env.leftoverFolders) {
        if (!listed.insert(platform::standardizedPath(folder.path)).second) continue;
        auto listing = listLibraryFolder(folder.label, folder.path, stop);
        if (stop.stop_requested()) return {};
        if (!listing) continue;
        std::erase_if(listing->entries, [&](const auto& entry) {
            return protectedPaths.contains(platform::standardizedPath(entry.first));
        });
        listings.push_back(std::move(*listing));
    }
    if (apps.empty()) return apps;
    const AppLaunchers launchers(desktopFiles ? *desktopFiles
                                              : platform::readDesktopFiles(env.desktopEntriesFolder, stop),
                                 env.iconFolders, stop);
    const std::vector<Matches> matches = matchAll(apps, listings, stop);
    std::vector<size_t> order(apps.size());
    std::iota(order.begin(), order.end(), size_t(0));
    return parallelMap(
        order,
        [&](size_t i) {
            return std::optional<InstalledApp>(
                withLeftovers(apps[i], listings, matches[i], env.sizeOf, &launchers, stop));
        },
        stop);
}

} // namespace AppUninstaller
