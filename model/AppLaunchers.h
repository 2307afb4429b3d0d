#pragma once

#include "model/LaunchingEntries.h"

#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {
struct DesktopEntry;
}

namespace AppUninstaller {

// A folder where desktop integration puts an app's icons: `below` (relative, such as "icons/hicolor")
// under `root` (the user's data or home folder, which may be reached through links). It counts only when
// every part of `below` is a real folder, not a link: a link there would make the user's own pictures
// an app's.
struct IconFolder {
    std::string root;
    std::string below;
};

// The group the launchers are shown and staged under.
inline constexpr const char* kLaunchersCategory = "Launchers";

// The desktop launchers of AppImages: the entries of the user's applications folder whose Exec or
// TryExec starts one, and the icons that only such entries name. Read once per load; `of` only reads,
// so worker threads may share one. Icons are only looked at (lstat, stat): none is ever opened.
class AppLaunchers {
  public:
    // `entries`: every desktop file of the applications folder, of any type (platform::readDesktopFiles).
    // `iconFolders`: where desktop integration puts an app's icons (the hicolor theme of the user's
    // icon folders, $XDG_DATA_HOME/pixmaps), the only place an icon is ever taken from, whether Icon
    // names it by path or by name. A theme the user installed is the user's, not an app's. Once `stop`
    // is requested nothing more is read or looked at, and `of` finds fewer.
    AppLaunchers(const std::vector<platform::DesktopEntry>& entries,
                 const std::vector<IconFolder>& iconFolders, std::stop_token stop = {});

    // The launchers of the AppImage at `appImagePath` (their desktop files, by ID), then the icon files
    // only they name, sorted, each with its links resolved. An entry that also starts another AppImage,
    // and an icon another entry names too, are left out.
    std::vector<std::string> of(const std::string& appImagePath) const;

  private:
    struct Entry {
        std::string path;
        std::vector<std::pair<std::string, std::string>> programs; // Exec's program and TryExec, resolved
        std::vector<std::string> icons;                            // the icon files its Icon names
        bool shown = false;                                        // an application the desktop knows
    };
    // The image file at `path` with its links resolved, when that lies in one of `folders` (real
    // folders, resolved); empty for anything else.
    static std::string iconFile(const std::string& path, const std::vector<std::string>& folders);

    std::vector<Entry> entries_;
    LaunchingEntries launching_;
    std::unordered_map<std::string, size_t> iconNamers_; // how many entries name each icon file
};

} // namespace AppUninstaller
