#pragma once

#include "model/ViewSettings.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

class DiskScanner;
namespace AppUninstaller {
struct InstalledApp;
}
namespace platform {
class ProcessController;
class TrashBackend;
} // namespace platform

// What the state object (ScanViewModel) needs from outside QtCore. The application entry fills in the
// desktop parts; tests put fakes in. Anything left empty takes the default noted beside it.
struct ViewModelServices {
    // The system appearance and how to apply a theme; see ViewSettings.
    ViewSettings::Appearance appearance;
    // Asks the user for a folder; nullopt when cancelled. Default: always cancelled.
    std::function<std::optional<std::string>()> chooseFolder;
    // A new scanner for each scan. Default: a DiskScanner on the real file system.
    std::function<std::shared_ptr<DiskScanner>()> makeScanner;
    // Finds and ends an application's running instances. Default: the system's processes.
    std::shared_ptr<platform::ProcessController> processes;
    // Blocks a pool thread for `milliseconds` between an uninstall's checks that the application has
    // quit. Default: sleeps.
    std::function<void(int milliseconds)> wait;
    // The Trash the cleanup queue and the uninstall flow move items to. Default: the real one.
    std::shared_ptr<platform::TrashBackend> trash;
    // Whether a folder the last scan could not read opens now; runs on a pool thread. Default: opens
    // it on the real file system (AccessCheck::folderOpens).
    std::function<bool(const std::string& folder)> folderOpens;
    // Lists the installed applications, largest first; runs on a pool thread and ends soon once its
    // token asks it to stop. Default: the AppImages of ~/Applications (InstalledApps::load).
    std::function<std::vector<AppUninstaller::InstalledApp>(std::stop_token)> loadInstalledApps;
};
