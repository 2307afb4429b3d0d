#include "model/ScanViewModel.h"

#include "model/BackgroundTask.h"
#include "model/CleanupQueue.h"
#include "model/DiskScanner.h"
#include "model/DuplicateSearch.h"
#include "model/FileNode.h"
#include "model/FolderReports.h"
#include "model/InstalledApps.h"
#include "model/NameFilter.h"
#include "model/Published.h"
#include "model/QuickWins.h"
#include "model/ScanRunner.h"
#include "model/ScanTree.h"
#include "model/SnapshotStore.h"
#include "model/StoredSettings.h"
#include "model/UninstallFlow.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Trash.h"
#include "platform/UserFolders.h"

#include <QMetaObject>

#include <algorithm>
#include <filesystem>
#include <shared_mutex>

// ---- Helpers -------------------------------------------------------------------------------------

namespace {

// The path a file URL made from `input` would have: absolute, without trailing separators.
std::string filePath(const std::string& input) {
    std::string path = input;
    if (path.empty() || path.front() != '/') {
        std::error_code error;
        std::string cwd = std::filesystem::current_path(error).string();
        path = cwd + (cwd.ends_with('/') ? "" : "/") + path;
    }
    return std::string(platform::withoutTrailingSlashes(path));
}

} // namespace

using platform::standardizedPath;

// ---- Start-up ------------------------------------------------------------------------------------

ScanViewModel::ScanViewModel(QObject* parent) : ScanViewModel(Services{}, parent) {}

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

    // The start-up scan walks from here on, so that building the window overlaps it; it is published
    // from the event loop, as any scan is. The announcement is queued before the walk starts, so it
    // comes before anything the walk sends back.
    if (const std::string start = qgetenv("BRENWICK_SCAN").toStdString(); !start.empty()) {
        const std::string path = filePath(start);
        QMetaObject::invokeMethod(
            this, [this, path] { announceScan(path); }, Qt::QueuedConnection);
        runner_->start(path);
    }

    // Published defaults.
    themeName_ = systemThemeName();
    disk_ = DiskInfo::forVolume("/");

    cleanupQueue_ = std::make_unique<CleanupQueue>(nullptr, services_.trash);
    snapshotStore_ = std::make_unique<SnapshotStore>();
    duplicates_ = std::make_unique<DuplicateSearch>(pool_);
    apps_ = std::make_unique<InstalledApps>(pool_, services_.loadInstalledApps);
    reports_ = std::make_unique<FolderReports>(pool_);
    uninstallFlow_ =
        std::make_unique<UninstallFlow>(services_.processes, services_.trash, services_.wait, *cleanupQueue_,
                                        [this](const auto& done) { applyTrashed(done); });

    recents_ = stored_settings::recents();
    // The stored theme is applied once and not written back.
    if (auto stored = stored_settings::theme()) themeName_ = *stored;
    applyAppearance();

    if (auto mode = visualization_mode::fromRawValue(qgetenv("BRENWICK_MODE").toStdString())) mode_ = *mode;
}

ScanViewModel::~ScanViewModel() {
    runner_.reset();
    pool_.waitForDone();
}

ThemeName ScanViewModel::systemThemeName() const {
    return services_.systemThemeName ? services_.systemThemeName() : ThemeName::light;
}

void ScanViewModel::applyAppearance() {
    if (services_.applyAppearance) services_.applyAppearance(themeName_);
}

void ScanViewModel::applicationBecameActive() {
    QMetaObject::invokeMethod(
        this, [this] { handleDidBecomeActive(); }, Qt::QueuedConnection);
}

// Coming back from granting read access: scan the same folder again while the notice shows.
void ScanViewModel::handleDidBecomeActive() {
    if (!showAccessNotice_ || status_.isScanning() || !tree_) return;
    scan(tree_->root()->path());
}

// ---- Getters -------------------------------------------------------------------------------------

FileNode* ScanViewModel::root() const {
    return tree_ ? tree_->root() : nullptr;
}

// ---- Setters -------------------------------------------------------------------------------------

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

void ScanViewModel::setTab(AppTab tab) {
    publish(this, tab_, tab, &ScanViewModel::tabChanged);
}
void ScanViewModel::setMode(VisualizationMode mode) {
    publish(this, mode_, mode, &ScanViewModel::modeChanged);
}
void ScanViewModel::setColorMode(ColorMode mode) {
    publish(this, colorMode_, mode, &ScanViewModel::colorModeChanged);
}
void ScanViewModel::setDepth(double depth) {
    publish(this, depth_, depth, &ScanViewModel::depthChanged);
}
void ScanViewModel::setAbbreviateLabels(bool on) {
    publish(this, abbreviateLabels_, on, &ScanViewModel::abbreviateLabelsChanged);
}
void ScanViewModel::setShowInspector(bool on) {
    publish(this, showInspector_, on, &ScanViewModel::showInspectorChanged);
}
void ScanViewModel::setShowAccessNotice(bool on) {
    publish(this, showAccessNotice_, on, &ScanViewModel::showAccessNoticeChanged);
}

void ScanViewModel::setFilter(const QString& text) {
    if (filter_.text() == text) return;
    filter_ = NameFilter(text);
    emit filterChanged();
}

void ScanViewModel::setThemeName(ThemeName name) {
    // Every assignment is stored and applied, even of the same theme.
    themeName_ = name;
    emit themeNameChanged();
    stored_settings::setTheme(name);
    applyAppearance();
}

void ScanViewModel::setDisk(DiskInfo disk) {
    publish(this, disk_, std::move(disk), &ScanViewModel::diskChanged);
}

void ScanViewModel::setGeneration(int64_t generation) {
    publish(this, generation_, generation, &ScanViewModel::generationChanged);
}

// ---- Scan control --------------------------------------------------------------------------------

void ScanViewModel::scan(const std::string& input) {
    const std::string path = filePath(input);
    // Supersedes the running scan: nothing of it is published any more.
    runner_->start(path);
    announceScan(path);
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
    changes.set(tab_, AppTab::explore, &ScanViewModel::tabChanged);
    duplicates_->clear();
    reports_->reset();
    changes.announce();
    releaseInBackground(pool_, std::move(discard));

    recordRecent(path);
}

void ScanViewModel::chooseFolder() {
    if (!services_.chooseFolder) return;
    if (auto folder = services_.chooseFolder()) scan(*folder);
}

void ScanViewModel::recordRecent(const std::string& path) {
    recents_ = stored_settings::withRecent(std::move(recents_), path);
    emit recentsChanged();
    stored_settings::setRecents(recents_);
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

std::string ScanViewModel::displayName(const std::string& path) const {
    const std::string standardized = standardizedPath(filePath(path));
    if (standardized == standardizedPath(platform::homeFolder())) return "Home";
    if (standardized == "/") return disk_.name;
    return platform::lastComponent(path);
}

void ScanViewModel::select(FileNode* node) {
    if (!node) return;
    if (node->isDirectory() && !node->children().empty()) setCurrentFolder(node);
    setSelectedNode(node);
}

void ScanViewModel::showExplore() {
    setTab(AppTab::explore);
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

std::vector<std::pair<FileCategory, int64_t>> ScanViewModel::rootTypeBreakdown() const {
    std::vector<std::pair<FileCategory, int64_t>> out;
    const FileNode* r = root();
    if (!r || !r->typeSizes()) return out;
    for (FileCategory c : file_category::allCases) {
        int64_t bytes = (*r->typeSizes())[file_category::rawValue(c)];
        if (bytes > 0) out.emplace_back(c, bytes);
    }
    return out;
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

// ---- Uninstall -----------------------------------------------------------------------------------

void ScanViewModel::uninstall(const AppUninstaller::InstalledApp& app,
                              std::function<void(std::vector<std::string> failed)> finished) {
    uninstallFlow_->uninstall(app, std::move(finished));
}
