#pragma once

#include <QIcon>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace AppUninstaller {
struct InstalledApp;
}
namespace platform {
class AppIconProvider;
}

// The applications' icons, each looked up once and kept: a row is painted often, and a lookup reads
// the disk. Keyed by the AppImage's path and its Icon value, so a reload (new ids, same apps) finds them
// again and a changed desktop entry is looked up anew. Icons found are never removed; one found missing
// is looked up again after the next listing.
//
// Threads: main thread. Lookups run on the cache's own worker threads, since reading a picture may wait
// on the disk and must never hold the window; each one that ends is announced by iconLookedUp. The
// provider's picture workers are ended once no lookup has run for kIdleEnd. When the application is
// about to quit, lookups not yet begun are dropped and those running are ended with the provider's
// workers (a drawing is never waited for).
class AppIconCache : public QObject {
    Q_OBJECT
  public:
    explicit AppIconCache(std::shared_ptr<platform::AppIconProvider> provider, QObject* parent = nullptr);
    // Drops the lookups not yet begun and ends those running.
    ~AppIconCache() override;
    static constexpr int kIdleEndMs = 20'000;

    // The one cache of the process, over the desktop's icons.
    static AppIconCache& shared();

    // The application's icon once its lookup has found one. Null while it is looked up, and until the
    // next listing when its desktop entry names none or nothing usable is found: the row then draws the
    // generic application symbol. The first call for an application starts its lookup; one without an
    // Icon value has none.
    QIcon icon(const AppUninstaller::InstalledApp& app);
    // The applications were listed anew: icons looked up from now on read the desktop's themes again,
    // and those found missing are looked up again (an app may have installed its icon meanwhile).
    void newListing();

  signals:
    // A lookup ended, with an icon or without: rows may paint again.
    void iconLookedUp();

  private:
    void stopLookups();

    std::shared_ptr<platform::AppIconProvider> provider_;
    std::map<std::pair<std::string, std::string>, std::optional<QIcon>> icons_; // none while looked up
    int listing_ = 0;  // counts newListing calls: a lookup begun before one may have read stale themes
    QTimer idle_;      // ends the provider's workers when it fires
    QThreadPool pool_; // declared last: its lookups end before the rest goes
};
