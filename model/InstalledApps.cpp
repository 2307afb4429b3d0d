#include "model/InstalledApps.h"

#include "model/BackgroundTask.h"
#include "model/Published.h"
#include "platform/DesktopEntry.h"
#include "platform/Paths.h"

#include <algorithm>

using platform::standardizedPath;

InstalledApps::InstalledApps(QThreadPool& pool, Loader load, QObject* parent)
    : QObject(parent), pool_(pool), load_(load ? std::move(load) : Loader(&InstalledApps::load)) {}

InstalledApps::~InstalledApps() {
    // Measuring leftover folders can take long (a large ~/.cache); nobody waits for the list any more.
    stop_.request_stop();
}

void InstalledApps::refresh(bool force) {
    if (loading_) return;
    if (!force && !items_.empty()) return;
    trashedDuringLoad_.clear();
    publish(this, loading_, true, &InstalledApps::isLoadingChanged);
    runInBackground(
        &pool_, this, [load = load_, stop = stop_.get_token()] { return load(stop); },
        [this](std::vector<AppUninstaller::InstalledApp> apps) {
            items_ = trashedDuringLoad_.empty() ? std::move(apps) : without(apps, trashedDuringLoad_);
            trashedDuringLoad_.clear();
            emit itemsChanged();
            publish(this, loading_, false, &InstalledApps::isLoadingChanged);
        });
}

void InstalledApps::prune(const std::vector<std::string>& trashedPaths) {
    std::unordered_set<std::string> trashed;
    for (const auto& p : trashedPaths)
        trashed.insert(standardizedPath(p));
    if (loading_) trashedDuringLoad_.insert(trashed.begin(), trashed.end());
    items_ = without(items_, trashed);
    emit itemsChanged();
}

std::vector<AppUninstaller::InstalledApp>
InstalledApps::without(const std::vector<AppUninstaller::InstalledApp>& apps,
                       const std::unordered_set<std::string>& trashed) {
    std::vector<AppUninstaller::InstalledApp> out;
    for (const auto& app : apps) {
        if (trashed.count(standardizedPath(app.bundleURL))) continue;
        AppUninstaller::InstalledApp kept = app;
        kept.leftovers.clear();
        for (const auto& group : app.leftovers) {
            std::vector<std::string> urls;
            for (const auto& u : group.urls)
                if (!trashed.count(standardizedPath(u))) urls.push_back(u);
            if (urls.empty()) continue;
            const auto oldCount = std::max<int64_t>(static_cast<int64_t>(group.urls.size()), 1);
            const int64_t size = group.totalSize * static_cast<int64_t>(urls.size()) / oldCount;
            kept.leftovers.push_back({QUuid::createUuid(), group.category, std::move(urls), size});
        }
        out.push_back(std::move(kept));
    }
    return out;
}

std::vector<AppUninstaller::InstalledApp> InstalledApps::load(std::stop_token stop) {
    auto env = AppUninstaller::userEnvironment(
        [stop](const std::string& path) { return DiskScanner::sizeOfItem(path, stop); });
    // The desktop entries, read once: for the apps' names and for their launchers.
    const auto desktopFiles = platform::readDesktopFiles(env.desktopEntriesFolder, stop);
    auto apps = AppUninstaller::loadApps(
        AppUninstaller::listApps(AppUninstaller::applicationsFolder(env), env, &desktopFiles, stop), env,
        &desktopFiles, stop);
    if (stop.stop_requested()) return {}; // incomplete, and nobody waits for it
    std::stable_sort(apps.begin(), apps.end(),
                     [](const auto& a, const auto& b) { return a.totalSize() > b.totalSize(); });
    return apps;
}
