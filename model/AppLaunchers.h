#pragma once

#include <map>
#include <string>
#include <vector>

namespace platform {
struct DesktopEntry;
}

namespace AppUninstaller {

// The group the launchers are shown and staged under.
inline constexpr const char* kLaunchersCategory = "Launchers";

// True when `program` (an Exec program or a TryExec, as written) starts the AppImage at `appImagePath`.
// `resolvedProgram` and `resolvedAppImage` are their paths with links resolved, empty when unknown.
bool launches(const std::string& program, const std::string& resolvedProgram, const std::string& appImagePath,
              const std::string& resolvedAppImage);

// The desktop launchers of AppImages: the entries of the user's applications folder whose Exec or
// TryExec starts one, and the icons that only such entries name. Read once per load; `of` only reads,
// so worker threads may share one.
class AppLaunchers {
  public:
    // `entries`: every desktop file of the applications folder, of any type (platform::readDesktopFiles).
    // `iconsFolder`: the user's icon themes ($XDG_DATA_HOME/icons); `home`: the only place an icon
    // named by its path is ever taken from.
    AppLaunchers(const std::vector<platform::DesktopEntry>& entries, const std::string& iconsFolder,
                 const std::string& home);

    // The launchers of the AppImage at `appImagePath` (their desktop files, by ID), then the icon files
    // only they name, sorted. An entry that also starts another AppImage, and an icon another entry
    // names too, are left out.
    std::vector<std::string> of(const std::string& appImagePath) const;

  private:
    struct Entry {
        std::string path;
        std::vector<std::pair<std::string, std::string>> programs; // Exec's program and TryExec, resolved
        std::string icon;                                          // trimmed
        bool shown = false;                                        // an application the menu lists
    };
    struct IconFile {
        std::string path;
        std::string name; // file name without its extension: the theme name it answers to
    };
    std::vector<IconFile> iconFilesOf(const Entry& entry) const;

    std::vector<Entry> entries_;
    std::map<std::string, std::vector<std::string>> themeIcons_; // name to files below the icons folder
    std::string iconsFolder_, home_;                             // standardised
};

} // namespace AppUninstaller
