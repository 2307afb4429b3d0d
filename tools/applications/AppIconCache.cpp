#include "tools/applications/AppIconCache.h"

#include "model/AppUninstaller.h"
#include "platform/AppIconProvider.h"

AppIconCache::AppIconCache(std::shared_ptr<platform::AppIconProvider> provider)
    : provider_(std::move(provider)) {}

AppIconCache::~AppIconCache() = default;

AppIconCache& AppIconCache::shared() {
    // Never destroyed: its icons must not outlive the application object at exit.
    static auto* cache = new AppIconCache(std::make_shared<platform::DesktopIconProvider>());
    return *cache;
}

QIcon AppIconCache::icon(const AppUninstaller::InstalledApp& app) {
    if (app.icon.empty()) return {};
    auto key = std::make_pair(app.bundleURL, app.icon);
    auto found = icons_.find(key);
    if (found == icons_.end()) found = icons_.emplace(std::move(key), provider_->icon(app.icon)).first;
    return found->second;
}
