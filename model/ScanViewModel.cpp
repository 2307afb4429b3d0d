#include "model/ScanViewModel.h"

#include "model/AccessCheck.h"
#include "model/BackgroundTask.h"
#include "model/CleanupQueue.h"
#include "model/DiskScanner.h"
#include "model/DuplicateSearch.h"
#include "model/EarlyWalk.h"
#include "model/FileNode.h"
#include "model/FolderReports.h"
#include "model/InstalledApps.h"
#include "model/Published.h"
#include "model/QuickWins.h"
#include "model/ScanRunner.h"
#include "model/ScanTree.h"
#include "model/SnapshotStore.h"
#include "model/UninstallFlow.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Trash.h"

#include <QMetaObject>

#include <shared_mutex>

// ---- Start-up ------------------------------------------------------------------------------------

ScanViewModel::ScanViewModel(Services services, QObject* parent) : QObject(parent) {
    if (!services.processes) services.processes = std::make_shared<platform::SystemProcesses>();
    if (!services.trash) services.trash = platform::defaultTrashBackend();
    if (!services.makeScanner) services.makeScanner = [] { return std::make_shared<DiskScanner>(); };
    services_ = std::move(services);

    runner_ = std::make_unique<ScanRunner>(
        services_.makeScanner, pool_,
        ScanRunner::Handlers{[this](DiskScanner::Progress p) {
                                 setStatus(Status::scanning(p.filesScanned, p.bytesScanned,
                                                            std::move(p.currentPath)));
                             },
                             [this](const DiskInfo& disk) { setDisk(disk); },
                             [this](ScanResult result) { finishScan(std::move(result)); }});

    disk_ = DiskInfo::forVolume("/");
    settings_ = std::make_unique<ViewSettings>(services_.appearance);
    recentScans_ = std::make_unique<RecentScans>();
    cleanupQueue_ = std::make_unique<CleanupQueue>(nullptr, services_.trash);
    snapshotStore_ = std::make_unique<SnapshotStore>();
    duplicates_ = std::make_unique<DuplicateSearch>(pool_);
    apps_ = std::make_unique<InstalledApps>(pool_, services_.loadInstalledApps);
    reports_ = std::make_unique<FolderReports>(pool_);
    accessCheck_ = std::make_unique<AccessCheck>(pool_, services_.folderOpens);
    uninstallFlow_ =
        std::make_unique<UninstallFlow>(services_.processes, services_.trash, services_.wait, *cleanupQueue_,
                                        [this](const auto& done) { applyTrashed(done); });
}

ScanViewModel::~ScanViewModel() {
    runner_.reset();
    // Gone before the wait, each asks its work on the pool to stop: quitting during a duplicate search or
    // the application listing must not wait for them to read to the end.
    duplicates_.reset();
    apps_.reset();
    pool_.waitForDone();
}

void ScanViewModel::handleDidBecomeActive() {
    if (!showAccessNotice_ || status_.isScanning() || !tree_) return;
    accessCheck_->check(unreadableFolderSamples_, [this, generation = generation_] {
        // Only for the result the folders were sampled from, while it still shows the notice.
        if (generation != generation_ || !showAccessNotice_ || status_.isScanning() || !tree_) return;
        scan(tree_->root()->path());
    });
}

// ---- Fields --------------------------------------------------------------------------------------

FileNode* ScanViewModel::root() const {
    return tree_ ? tree_->root() : nullptr;
}

void ScanViewModel::setStatus(Status status) {
    publish(this, status_, std::move(status), &ScanViewModel::statusChanged);
}
void ScanViewModel::setCurrentFolder(FileNode* folder) {
    // A regrouping has no parent to go back to: it is shown, never entered.
    if (folder && folder->isVirtual()) return;
    publish(this, currentFolder_, folder, &ScanViewModel::currentFolderChanged);
}
void ScanViewModel::setSelectedNode(FileNode* node) {
    publish(this, selectedNode_, node, &ScanViewModel::selectedNodeChanged);
}
void ScanViewModel::setShowAccessNotice(bool on) {
    publish(this, showAccessNotice_, on, &ScanViewModel::showAccessNoticeChanged);
}
void ScanViewModel::setFilter(const QString& text) {
    if (filter_.text() == text) return;
    filter_ = NameFilter(text);
    emit filterChanged();
}
void ScanViewModel::setDisk(DiskInfo disk) {
    publish(this, disk_, std::move(disk), &ScanViewModel::diskChanged);
}
void ScanViewModel::setGeneration(int64_t generation) {
    publish(this, generation_, generation, &ScanViewModel::generationChanged);
}

// ---- Scan control --------------------------------------------------------------------------------

void ScanViewModel::scan(const std::string& input) {
    const std::string path = platform::absolutePath(input);
    // Supersedes the running scan: nothing of it is published any more.
    runner_->start(path);
    announceScan(path);
}

void ScanViewModel::scanOnStart(const std::string& input) {
    const std::string path = platform::absolutePath(input);
    // Queued before the walk starts, so it comes before anything the walk sends back.
    QMetaObject::invokeMethod(
        this, [this, path] { announceScan(path); }, Qt::QueuedConnection);
    runner_->start(path);
}

void ScanViewModel::scanOnStart(std::unique_ptr<EarlyWalk> walk) {
    QMetaObject::invokeMethod(
        this, [this, path = walk->path()] { announceScan(path); }, Qt::QueuedConnection);
    runner_->start(std::move(walk));
}

void ScanViewModel::announceScan(const std::string& path) {
    // The old tree and everything pointing into it leave the published state before any signal goes
    // out, and are freed in the background afterwards.
    struct Discard {
        std::shared_ptr<ScanTree> tree;
        std::vector<QuickWins::Category> quickWins;
    };
    ChangeBatch changes(this);
    changes.set(status_, Status::scanning(0, 0, path), &ScanViewModel::statusChanged);
    Discard discard;
    discard.tree = changes.take(tree_, &ScanViewModel::rootChanged);
    changes.take(currentFolder_, &ScanViewModel::currentFolderChanged);
    changes.take(selectedNode_, &ScanViewModel::selectedNodeChanged);
    discard.quickWins = changes.take(quickWins_, &ScanViewModel::quickWinsChanged);
    changes.set(unreadableFolderCount_, 0, &ScanViewModel::unreadableFolderCountChanged);
    changes.take(unreadableFolderSamples_, &ScanViewModel::unreadableFolderSamplesChanged);
    changes.set(showAccessNotice_, false, &ScanViewModel::showAccessNoticeChanged);
    duplicates_->clear();
    reports_->reset();
    changes.announce();
    settings_->setTab(AppTab::explore);
    releaseInBackground(pool_, std::move(discard));

    // Empty: a relative path from a working folder that was deleted, which names no folder to return to.
    if (!path.empty()) recentScans_->recordRecent(path);
}

void ScanViewModel::chooseFolder() {
    if (!services_.chooseFolder) return;
    if (auto folder = services_.chooseFolder()) scan(*folder);
}

void ScanViewModel::finishScan(ScanResult result) {
    publish(this, scanDuration_, result.seconds, &ScanViewModel::scanDurationChanged);
    setGeneration(generation_ + 1);

    tree_ = std::move(result.tree);
    cleanupQueue_->setTrashFolders(tree_->trashFolders());
    emit rootChanged();
    setCurrentFolder(tree_->root());
    setSelectedNode(tree_->root());
    quickWins_ = std::move(result.quickWins);
    emit quickWinsChanged();
    setDisk(std::move(result.disk));

    publish(this, unreadableFolderCount_, result.unreadableCount,
            &ScanViewModel::unreadableFolderCountChanged);
    publish(this, unreadableFolderSamples_, std::move(result.unreadableSamples),
            &ScanViewModel::unreadableFolderSamplesChanged);
    setShowAccessNotice(result.unreadableCount > 0);
    setStatus(Status::done());
}

// ---- Navigation and actions ----------------------------------------------------------------------

void ScanViewModel::select(FileNode* node) {
    if (!node) return;
    if (node->isDirectory() && !node->children().empty()) setCurrentFolder(node);
    setSelectedNode(node);
}

void ScanViewModel::showExplore() {
    settings_->setTab(AppTab::explore);
}

void ScanViewModel::goUp() {
    FileNode* left = currentFolder_;
    if (!left || !left->parent()) return;
    setCurrentFolder(left->parent());
    setSelectedNode(left);
}

void ScanViewModel::reveal(FileNode* node) {
    if (!node) return;
    if (node->isDirectory()) {
        setCurrentFolder(node);
        setSelectedNode(node);
    } else if (FileNode* parent = node->parent()) {
        setCurrentFolder(parent);
        setSelectedNode(node);
    }
}

bool ScanViewModel::matchesFilter(const FileNode* node) const {
    return filter_.matches(node);
}

void ScanViewModel::findDuplicates() {
    duplicates_->search(tree_);
}

// ---- Reports -------------------------------------------------------------------------------------

void ScanViewModel::requestAgeReport(FileNode* folder) {
    reports_->requestAgeReport(tree_, folder);
}

void ScanViewModel::requestRankings(FileNode* folder) {
    reports_->requestRankings(tree_, folder);
}

// ---- Edits after a move to the Trash -------------------------------------------------------------

void ScanViewModel::applyTrashed(const std::vector<std::string>& paths) {
    if (paths.empty()) return;

    FileNode* root = this->root();
    TreeRemoval removal;
    if (root) {
        removal = tree_->removeItems(paths);
        if (currentFolder_) setCurrentFolder(removal.survivingFolder(currentFolder_));
        if (selectedNode_ && removal.holds(selectedNode_)) setSelectedNode(currentFolder_);

        duplicates_->prune(removal);
        reports_->reset();
    }

    apps_->prune(paths);

    setGeneration(generation_ + 1);

    if (root) refreshAfterEdit();
}

// The disk and the quick wins of the edited tree, computed in the background and published only while
// the tree is still shown and no later edit has superseded them.
void ScanViewModel::refreshAfterEdit() {
    struct Refreshed {
        std::shared_ptr<ScanTree> tree;
        std::vector<QuickWins::Category> quickWins;
        DiskInfo disk;
    };
    runInBackground(
        &pool_, this,
        [tree = tree_] {
            Refreshed out{tree, {}, DiskInfo::forVolume(tree->root()->path())};
            std::shared_lock lock(tree->mutex());
            out.quickWins = QuickWins::analyze(*tree);
            return out;
        },
        [this, generation = generation_](Refreshed result) {
            const bool current = result.tree == tree_ && generation == generation_;
            // The tree let go here may be the last reference to it.
            releaseInBackground(pool_, std::move(result.tree));
            if (!current) return;
            setDisk(std::move(result.disk));
            quickWins_ = std::move(result.quickWins);
            emit quickWinsChanged();
        });
}
