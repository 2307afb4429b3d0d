#pragma once

#include "model/AppUninstaller.h"

#include <QObject>

#include <functional>
#include <stop_token>
#include <string>
#include <unordered_set>
#include <vector>

class QThreadPool;

// The state of the Applications screen: the installed applications with their leftovers, and whether
// they are being loaded.
//
// Threads: main thread; each field changes there and announces it with its own signal. Loading runs on
// the pool given. Items moved to the Trash while a load runs are taken out of its result too, so a
// list older than the last move never shows. A load still running when this object is destroyed is
// asked to stop.
class InstalledApps : public QObject {
    Q_OBJECT
  public:
    using Loader = std::function<std::vector<AppUninstaller::InstalledApp>(std::stop_token)>;

    // `load` runs on a pool thread, and should end soon once its token asks it to stop (what it then
    // returns is dropped); null: load() below.
    explicit InstalledApps(QThreadPool& pool, Loader load = {}, QObject* parent = nullptr);
    ~InstalledApps() override;

    // Largest total (AppImage and leftovers) first.
    const std::vector<AppUninstaller::InstalledApp>& items() const { return items_; }
    bool isLoading() const { return loading_; }

    // Starts loading, unless a load runs or, without `force`, a list is already there.
    void refresh(bool force);
    // After a move to the Trash: an application whose AppImage went leaves the list; the others keep
    // their leftover paths that did not go, each group under a fresh id with its size shared out by
    // the paths kept (truncating), and lose emptied groups. Published even when nothing changed.
    void prune(const std::vector<std::string>& trashedPaths);

    // The AppImages of ~/Applications with their leftovers, largest total first. Blocking; for pool
    // threads. Once `stop` is requested every loop of it ends (reading the entries, naming, matching,
    // measuring) and it returns nothing.
    static std::vector<AppUninstaller::InstalledApp> load(std::stop_token stop = {});

  signals:
    void itemsChanged();
    void isLoadingChanged();

  private:
    static std::vector<AppUninstaller::InstalledApp>
    without(const std::vector<AppUninstaller::InstalledApp>& apps,
            const std::unordered_set<std::string>& trashed);

    QThreadPool& pool_;
    Loader load_;
    std::vector<AppUninstaller::InstalledApp> items_;
    bool loading_ = false;
    std::unordered_set<std::string> trashedDuringLoad_; // standardised paths
    std::stop_source stop_;
};
