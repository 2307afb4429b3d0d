#pragma once

#include <QIcon>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace AppUninstaller {
struct InstalledApp;
}
namespace platform {
class AppIconProvider;
}

// The applications' icons, each looked up once and kept: a row is painted often, and a theme lookup
// reads the disk. Keyed by the AppImage's path and its Icon value, so a reload (new ids, same apps)
// finds them again and a changed desktop entry is looked up anew. Entries are never removed.
//
// Threads: main thread only.
class AppIconCache {
  public:
    explicit AppIconCache(std::shared_ptr<platform::AppIconProvider> provider);
    ~AppIconCache();

    // The one cache of the process, over the desktop's icons.
    static AppIconCache& shared();

    // The application's icon; null when its desktop entry names none or it is not found (the row then
    // draws the generic application symbol). An application without an Icon value is not looked up.
    QIcon icon(const AppUninstaller::InstalledApp& app);

  private:
    std::shared_ptr<platform::AppIconProvider> provider_;
    std::map<std::pair<std::string, std::string>, QIcon> icons_; // (AppImage path, Icon value)
};
