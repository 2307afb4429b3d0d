#pragma once

#include "model/AppLaunchers.h"
#include "model/DiskScanner.h"
#include "model/Parallel.h"

#include <QUuid>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform {
struct DesktopEntry;
}

// Installed applications (AppImages directly inside ~/Applications) and the files they leave in the
// user's cache, configuration, data and state folders. Stateless: the view model calls listApps, then
// loadApps, and publishes the result. All calls are synchronous and never throw; unreadable folders
// simply give fewer results. The calls that take a `stop` end every loop of theirs once it is requested
// (a quit must not wait for thousands of apps): what they then return is incomplete.
namespace AppUninstaller {

// Bytes on disk of a path (a folder with everything below it). Called from worker threads.
using SizeFunction = std::function<int64_t(const std::string& path)>;

// The leftovers of one application in one leftover folder, or its launchers (AppLaunchers).
struct LeftoverGroup {
    QUuid id;                      // fresh for every group
    std::string category;          // the folder's label, e.g. "Caches", or "Launchers"
    std::vector<std::string> urls; // absolute paths of the matching entries, in listing order
    int64_t totalSize = 0;         // bytes on disk of all of them

    friend bool operator==(const LeftoverGroup&, const LeftoverGroup&) = default;
};

struct InstalledApp {
    QUuid id;                     // fresh each time the record is made
    std::string bundleURL;        // absolute path of the AppImage file
    std::string bundleIdentifier; // desktop-file ID, else the lower-cased file name stem; never empty
    std::string displayName;      // the desktop entry's Name, else the file name stem
    std::optional<std::string> version;
    std::string icon;                   // the desktop entry's Icon: a file path or a theme icon name
    std::optional<double> lastUsedDate; // seconds since 1970 UTC
    int64_t bundleSize = 0;
    std::vector<LeftoverGroup> leftovers;

    // bundleSize plus every group's totalSize.
    int64_t totalSize() const;

    friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
};

// A folder searched for leftovers, with the label it is shown under.
struct LeftoverFolder {
    std::string label;
    std::string path; // absolute
};

// The direct entries of one leftover folder, read once per load and shared by every application.
struct LibraryListing {
    std::string label;
    std::vector<std::pair<std::string, std::string>> entries; // (absolute path, lower-cased name)
};

// Where the service looks, and how it measures.
struct Environment {
    std::string home;
    std::string desktopEntriesFolder;            // $XDG_DATA_HOME/applications
    std::vector<IconFolder> iconFolders;         // ~/.local/share/icons/hicolor, ~/.icons/hicolor, pixmaps
    std::vector<LeftoverFolder> leftoverFolders; // in display order
    std::string mountInfoPath = "/proc/self/mountinfo";
    SizeFunction sizeOf;
};

// The current user's folders (platform/UserFolders): "Caches" ~/.cache, "Preferences" ~/.config,
// "Application Support" ~/.local/share, "Logs" ~/.local/state, "Container Data" ~/.var/app.
Environment userEnvironment(SizeFunction sizeOf = [](const std::string& path) {
    return DiskScanner::sizeOfItem(path);
});

// ~/Applications of the environment's home.
std::string applicationsFolder(const Environment& env);

// The AppImages directly inside `folder` (regular executable files named "*.AppImage", case-sensitive),
// in listing order, with leftovers empty. Desktop entries are read once for the whole listing, or taken
// from `desktopFiles` when the caller has read them (platform::readDesktopFiles of the environment's
// desktopEntriesFolder), as it does for loadApps too. Only entries the menu lists
// (platform::isListedApplication) give an app its name.
std::vector<InstalledApp> listApps(const std::string& folder, const Environment& env,
                                   const std::vector<platform::DesktopEntry>* desktopFiles = nullptr,
                                   std::stop_token stop = {});

// The record of one AppImage, or none when it is not one (missing, not a regular executable file,
// wrong suffix, or no usable identifier). The file is never executed.
std::optional<InstalledApp> appInfo(const std::string& appImagePath,
                                    const std::vector<platform::DesktopEntry>& desktopEntries,
                                    const Environment& env);

// The file's access time, or none when its file system is mounted noatime (or it cannot be read).
std::optional<double> lastUsedDate(const std::string& path,
                                   const std::string& mountInfoPath = "/proc/self/mountinfo");

// A file name stem split into name, version and architecture: "Text-Editor-1.2.3-x86_64" gives
// name "Text-Editor" and version "1.2.3". Version is empty when the stem carries none.
struct StemParts {
    std::string name;
    std::string version;
};
StemParts splitStem(const std::string& stem);

// The same applications in the same order, each with its leftovers, launchers included. Each leftover
// folder, the desktop entries and the icons are read once for the whole call, and each entry's name is
// matched against every app's keys at once (LeftoverKeys); measuring runs in parallel across
// applications. `desktopFiles`: as for listApps.
std::vector<InstalledApp> loadApps(std::vector<InstalledApp> apps, const Environment& env,
                                   const std::vector<platform::DesktopEntry>* desktopFiles = nullptr,
                                   std::stop_token stop = {});

// The direct entries of `folder`, or none when it cannot be listed.
std::optional<LibraryListing> listLibraryFolder(const std::string& label, const std::string& folder,
                                                std::stop_token stop = {});

// The entries of a listing that belong to an application: their lower-cased name contains the
// lower-cased identifier, or the lower-cased display name with its spaces removed. Names are compared
// as bytes; lower-casing touches ASCII letters only. A key shorter than 3 characters matches nothing,
// and the desktop's shared entries ("Trash", "applications", ...) never match.
bool matchesLeftover(const std::string& lowerCasedEntryName, const std::string& identifierKey,
                     const std::string& nameKey);
std::string identifierKey(const InstalledApp& app);
std::string nameKey(const InstalledApp& app);

// `app` with its leftovers set: one group per listing with at least one match, in listing order, then
// "Launchers" with what `launchers` gives for the AppImage (less what an earlier group already holds)
// when that is not empty.
InstalledApp matchLeftovers(InstalledApp app, const std::vector<LibraryListing>& listings,
                            const SizeFunction& sizeOf, const AppLaunchers* launchers = nullptr,
                            std::stop_token stop = {});

// transform(element) for every element on worker threads (up to one per processor); the results that
// are not none, in the order of `list`. Waits until all are done. Once `stop` is requested no thread
// takes a further element.
template <class T, class F>
auto parallelMap(const std::vector<T>& list, F transform, std::stop_token stop = {})
    -> std::vector<typename std::invoke_result_t<F&, const T&>::value_type> {
    using Result = typename std::invoke_result_t<F&, const T&>::value_type;
    std::vector<std::optional<Result>> results(list.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < list.size() && !stop.stop_requested(); i = next++)
            results[i] = transform(list[i]);
    };
    runOnThreads(std::min<size_t>(list.size(), std::max(1u, std::thread::hardware_concurrency())), work);
    std::vector<Result> out;
    for (auto& slot : results)
        if (slot) out.push_back(std::move(*slot));
    return out;
}

} // namespace AppUninstaller
