#include "tools/applications/AppIconCache.h"

#include "model/AppUninstaller.h"
#include "model/BackgroundTask.h"
#include "platform/AppIconProvider.h"

#include <QCoreApplication>
#include <QPixmap>

AppIconCache::AppIconCache(std::shared_ptr<platform::AppIconProvider> provider, QObject* parent)
    : QObject(parent), provider_(std::move(provider)) {
    pool_.setMaxThreadCount(platform::AppIconProvider::kLookupThreads);
    // Idle workers are processes that hold memory: ended, off the window's thread, a while after the last
    // lookup; the next lookup starts them again.
    idle_.setSingleShot(true);
    idle_.setInterval(kIdleEndMs);
    connect(&idle_, &QTimer::timeout, this,
            [this] { pool_.start([provider = provider_] { provider->endWorkers(); }); });
    // The shared cache outlives the application object, and a lookup's worker is a process: none may
    // run on while the application and the statics go.
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AppIconCache::stopLookups);
}

AppIconCache::~AppIconCache() {
    stopLookups();
}

void AppIconCache::stopLookups() {
    idle_.stop();
    pool_.clear();
    // A drawing cannot be interrupted, but its worker can be ended; a lookup that began meanwhile starts a
    // worker of its own, ended in its turn.
    do
        provider_->endWorkers();
    while (!pool_.waitForDone(50));
    // Those dropped are asked again if anyone still wants them; the ones that ended have their
    // results queued and enter again.
    std::erase_if(icons_, [](const auto& entry) { return !entry.second; });
}

void AppIconCache::newListing() {
    provider_->newListing();
    // An icon found missing may have been installed since: asked again. Found ones are kept.
    std::erase_if(icons_, [](const auto& entry) { return entry.second && entry.second->isNull(); });
    ++listing_;
}

AppIconCache& AppIconCache::shared() {
    // Never destroyed: its icons must not outlive the application object at exit.
    static auto* cache = new AppIconCache(std::make_shared<platform::DesktopIconProvider>());
    return *cache;
}

QIcon AppIconCache::icon(const AppUninstaller::InstalledApp& app) {
    if (app.icon.empty()) return {};
    auto key = std::make_pair(app.bundleURL, app.icon);
    if (auto found = icons_.find(key); found != icons_.end()) return found->second.value_or(QIcon());
    icons_.emplace(key, std::nullopt);
    runInBackground(
        &pool_, this, [provider = provider_, value = app.icon] { return provider->image(value); },
        [this, key, listing = listing_](QImage image) {
            // Missing by the themes of an older listing: asked again by the next row that wants it.
            if (image.isNull() && listing != listing_)
                icons_.erase(key);
            else // pixmaps belong to the window's thread: the picture becomes an icon only here
                icons_[key] = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(std::move(image)));
            idle_.start();
            emit iconLookedUp();
        });
    return {};
}
