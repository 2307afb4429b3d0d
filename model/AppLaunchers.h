#pragma once

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
    // `iconFolders`: the user's own icon folders ($XDG_DATA_HOME/icons, $XDG_DATA_HOME/pixmaps,
    // ~/.icons), the only place an icon is ever taken from, whether Icon names it by path or by name.
    AppLaunchers(const std::vector<platform::DesktopEntry>& entries,
                 const std::vector<std::string>& iconFolders);

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
    // The image file at `path` with its links resolved, when that lies in one of `folders` (resolved);
    // empty for anything else.
    static std::string iconFile(const std::string& path, const std::vector<std::string>& folders);

    std::vector<Entry> entries_;
};

} // namespace AppUninstaller
