#pragma once

#include "model/DiskInfo.h"
#include "model/NameFilter.h"
#include "model/RecentScans.h"
#include "model/ScanStatus.h"
#include "model/ViewModelServices.h"
#include "model/ViewSettings.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class AccessCheck;
class EarlyWalk;
class FileNode;
class ScanTree;
class CleanupQueue;
class SnapshotStore;
class UninstallFlow;
class DuplicateSearch;
class InstalledApps;
class FolderReports;
class ScanRunner;
struct ScanResult;
namespace QuickWins {
struct Category;
}

// ---- The application state object ---------------------------------------------------------------

// The one application state object: every view reads its fields and calls its operations. The state of
// the reports and of the tool screens lives in small objects reached from it, as the cleanup queue is:
// settings(), reports(), duplicates(), apps() and uninstallFlow().
//
// Threads: lives on the main thread; every field changes there and announces the change with its own
// signal. Long work (scans, reports, quick wins, duplicate search, application listing) runs on
// background threads and comes back through queued calls; results computed for a tree that has since
// been replaced or edited (or of a superseded scan) are dropped.
//
// Nodes: root(), currentFolder(), selectedNode() and the nodes inside quick wins belong to tree(); they
// stay valid as long as the caller holds that std::shared_ptr<ScanTree> (or, on the main thread, until
// the next change of `root`). Reports and duplicate groups hold the tree they point into.
class ScanViewModel : public QObject {
    Q_OBJECT

  public:
    using Status = ScanStatus;
    using Services = ViewModelServices;

    explicit ScanViewModel(Services services = {}, QObject* parent = nullptr);
    // Cancels a running scan, stops a running duplicate search and application listing, and waits for
    // every background thread it started.
    ~ScanViewModel() override;

    // ---- Published fields (each has a change signal below) ----
    const Status& status() const { return status_; }
    FileNode* root() const;
    FileNode* currentFolder() const { return currentFolder_; }
    FileNode* selectedNode() const { return selectedNode_; }
    const std::vector<QuickWins::Category>& quickWins() const { return quickWins_; }
    const QString& filter() const { return filter_.text(); }
    const DiskInfo& disk() const { return disk_; }
    double scanDuration() const { return scanDuration_; } // seconds
    int64_t generation() const { return generation_; }
    int64_t unreadableFolderCount() const { return unreadableFolderCount_; }
    const std::vector<std::string>& unreadableFolderSamples() const { return unreadableFolderSamples_; }
    bool showAccessNotice() const { return showAccessNotice_; }

    // The tree that owns root() and every node above; null before the first result.
    std::shared_ptr<ScanTree> tree() const { return tree_; }

    // Plain fields, never replaced. settings(): the tab, the visualisation and its knobs, the inspector
    // and the theme.
    ViewSettings& settings() const { return *settings_; }
    // The recently scanned folders; each scan records its folder there.
    RecentScans& recentScans() const { return *recentScans_; }
    CleanupQueue& cleanupQueue() const { return *cleanupQueue_; }
    SnapshotStore& snapshotStore() const { return *snapshotStore_; }
    // Uninstalls applications (uninstall()), applying what went; tells which are being uninstalled now.
    UninstallFlow& uninstallFlow() const { return *uninstallFlow_; }
    // The duplicate search over the scan (the Duplicates screen's state).
    DuplicateSearch& duplicates() const { return *duplicates_; }
    // The installed applications (the Applications screen's state).
    InstalledApps& apps() const { return *apps_; }
    // The age reports and rankings of the scan's folders.
    FolderReports& reports() const { return *reports_; }
    // Whether folders the scan could not read open now (asked on each return to the window).
    AccessCheck& accessCheck() const { return *accessCheck_; }

    // ---- Setters the views call ----
    void setCurrentFolder(FileNode* folder); // a group or virtual node never becomes the current folder
    void setSelectedNode(FileNode* node);
    void setFilter(const QString& text);
    void setShowAccessNotice(bool on); // the notice's dismiss button sets false

    // ---- Scan control ----
    // Starts a scan of a folder, superseding (cancelling) any running one; relative paths are taken
    // against the working folder (none when it was deleted: the scan then finds nothing, and is not
    // remembered among the recent folders).
    void scan(const std::string& path);
    // As scan(), but only the walk starts now: its start is published from the event loop, before
    // anything the walk sends back, so that the walk overlaps building the window.
    void scanOnStart(const std::string& path);
    // As scanOnStart(), for a walk begun before the state object existed.
    void scanOnStart(std::unique_ptr<EarlyWalk> walk);
    // Asks for a folder and scans it; nothing happens when the user cancels.
    void chooseFolder();

    // ---- Navigation and actions ----
    // Selects a node; a real folder with children also becomes the current folder.
    void select(FileNode* node);
    void showExplore();
    void goUp();
    // Shows a node in its folder and selects it.
    void reveal(FileNode* node);
    // Whether the node's own name contains the trimmed filter, ignoring case.
    bool matchesFilter(const FileNode* node) const;
    // Starts the duplicate search over the scan; its result appears in duplicates().
    void findDuplicates();

    // ---- Reports ----
    // Computes the folder's report in the background once per state of the tree; the result appears in
    // reports() with its change signal, or is dropped when the tree changed meanwhile.
    void requestAgeReport(FileNode* folder);
    void requestRankings(FileNode* folder);

    // ---- Edits after a move to the Trash ----
    // Removes the nodes of paths that were moved to the Trash and updates everything derived from them.
    void applyTrashed(const std::vector<std::string>& paths);

    // Coming back from granting read access: while the notice shows, tries the sampled unreadable
    // folders in the background and scans the same folder again only when one of them opens now. The
    // application entry calls it, from the event loop, whenever the application becomes active.
    void handleDidBecomeActive();

  signals:
    void statusChanged();
    void rootChanged();
    void currentFolderChanged();
    void selectedNodeChanged();
    void quickWinsChanged();
    void filterChanged();
    void diskChanged();
    void scanDurationChanged();
    void generationChanged();
    void unreadableFolderCountChanged();
    void unreadableFolderSamplesChanged();
    void showAccessNoticeChanged();

  private:
    void setStatus(Status status);
    void setDisk(DiskInfo disk);
    void setGeneration(int64_t generation);
    // Publishes the start of the scan of `path` (absolute), which the runner has begun.
    void announceScan(const std::string& path);
    void finishScan(ScanResult result);
    void refreshAfterEdit();

    Services services_;
    // Reports, quick wins, duplicates, application listing and releases of old trees; it outlives
    // every object below that uses it.
    QThreadPool pool_;

    Status status_;
    std::shared_ptr<ScanTree> tree_;
    FileNode* currentFolder_ = nullptr;
    FileNode* selectedNode_ = nullptr;
    std::vector<QuickWins::Category> quickWins_;
    NameFilter filter_;
    DiskInfo disk_;
    double scanDuration_ = 0;
    int64_t generation_ = 0;
    int64_t unreadableFolderCount_ = 0;
    std::vector<std::string> unreadableFolderSamples_;
    bool showAccessNotice_ = false;

    std::unique_ptr<ViewSettings> settings_;
    std::unique_ptr<RecentScans> recentScans_;
    std::unique_ptr<CleanupQueue> cleanupQueue_;
    std::unique_ptr<SnapshotStore> snapshotStore_;
    std::unique_ptr<UninstallFlow> uninstallFlow_;
    std::unique_ptr<DuplicateSearch> duplicates_;
    std::unique_ptr<InstalledApps> apps_;
    std::unique_ptr<FolderReports> reports_;
    std::unique_ptr<AccessCheck> accessCheck_;
    std::unique_ptr<ScanRunner> runner_;
};
