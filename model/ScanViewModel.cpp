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
#include "model/UninstallFlow.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Trash.h"
#include "platform/UserFolders.h"

#include <QFile>
#include <QMetaObject>
#include <QSettings>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <thread>

// ---- Value types ---------------------------------------------------------------------------------

namespace {

// Titles in case order.
constexpr std::array<std::string_view, 5> kTabTitles = {"Explore", "Duplicates", "Applications", "Monitor",
                                                        "Snapshots"};
constexpr std::array<std::string_view, 9> kModeTitles = {
    "Treemap", "Folders", "Sunburst", "Flame", "Bubbles", "Mind Map", "Top Sizes", "Age Map", "List"};
constexpr std::array<std::string_view, 3> kColorModeTitles = {"By type", "By folder", "By age"};

template <typename Enum, size_t N>
std::optional<Enum> caseTitled(const std::array<Enum, N>& cases,
                               const std::array<std::string_view, N>& titles, std::string_view raw) {
    for (size_t i = 0; i < N; ++i)
        if (titles[i] == raw) return cases[i];
    return std::nullopt;
}

} // namespace

namespace app_tab {
std::string_view rawValue(AppTab tab) {
    return kTabTitles[static_cast<size_t>(tab)];
}
std::optional<AppTab> fromRawValue(std::string_view raw) {
    return caseTitled(allCases, kTabTitles, raw);
}
} // namespace app_tab

namespace visualization_mode {
std::string_view rawValue(VisualizationMode mode) {
    return kModeTitles[static_cast<size_t>(mode)];
}
std::optional<VisualizationMode> fromRawValue(std::string_view raw) {
    return caseTitled(allCases, kModeTitles, raw);
}
} // namespace visualization_mode

namespace color_mode {
std::string_view rawValue(ColorMode mode) {
    return kColorModeTitles[static_cast<size_t>(mode)];
}
std::optional<ColorMode> fromRawValue(std::string_view raw) {
    return caseTitled(allCases, kColorModeTitles, raw);
}
} // namespace color_mode

// ---- Helpers -------------------------------------------------------------------------------------

namespace {

constexpr const char* kOrganisation = "Brenwick";
constexpr const char* kApplication = "Brenwick";
constexpr const char* kRecentsKey = "recentScans";
constexpr const char* kThemeKey = "theme";
constexpr size_t kRecentLimit = 5;

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

// ---- State ---------------------------------------------------------------------------------------

struct ScanViewModel::State {
    Services services;
    // Reports, quick wins, duplicates, application listing and releases of old trees; it outlives
    // every object below that uses it.
    QThreadPool pool;

    // Published fields.
    Status status;
    std::shared_ptr<ScanTree> tree;
    FileNode* currentFolder = nullptr;
    FileNode* selectedNode = nullptr;
    std::vector<QuickWins::Category> quickWins;
    AppTab tab = AppTab::explore;
    VisualizationMode mode = VisualizationMode::folders;
    ColorMode colorMode = ColorMode::folder;
    double depth = 7.0;
    bool abbreviateLabels = false;
    NameFilter filter;
    bool showInspector = true;
    ThemeName themeName = ThemeName::light;
    DiskInfo disk;
    double scanDuration = 0;
    std::vector<std::string> recents;
    int64_t generation = 0;
    int64_t unreadableFolderCount = 0;
    std::vector<std::string> unreadableFolderSamples;
    bool showAccessNotice = false;

    std::unique_ptr<CleanupQueue> cleanupQueue;
    std::unique_ptr<SnapshotStore> snapshotStore;
    std::unique_ptr<UninstallFlow> uninstallFlow;
    std::unique_ptr<DuplicateSearch> duplicates;
    std::unique_ptr<InstalledApps> apps;
    std::unique_ptr<FolderReports> reports;
    std::unique_ptr<ScanRunner> runner;
};

// ---- Start-up ------------------------------------------------------------------------------------

ScanViewModel::ScanViewModel(QObject* parent) : ScanViewModel(Services{}, parent) {}

ScanViewModel::ScanViewModel(Services services, QObject* parent)
    : QObject(parent), d_(std::make_unique<State>()) {
    if (!services.processes) services.processes = std::make_shared<platform::SystemProcesses>();
    if (!services.trash) services.trash = platform::defaultTrashBackend();
    if (!services.makeScanner) services.makeScanner = [] { return std::make_shared<DiskScanner>(); };
    d_->services = std::move(services);

    // Published defaults.
    d_->themeName = systemThemeName();
    d_->disk = DiskInfo::forVolume("/");

    d_->cleanupQueue = std::make_unique<CleanupQueue>(nullptr, d_->services.trash);
    d_->snapshotStore = std::make_unique<SnapshotStore>();
    d_->duplicates = std::make_unique<DuplicateSearch>(d_->pool);
    d_->apps = std::make_unique<InstalledApps>(d_->pool);
    d_->reports = std::make_unique<FolderReports>(d_->pool);
    d_->uninstallFlow =
        std::make_unique<UninstallFlow>(d_->services.processes, d_->services.trash, d_->services.wait,
                                        *d_->cleanupQueue, [this](const auto& done) { applyTrashed(done); });

    d_->runner = std::make_unique<ScanRunner>(
        d_->services.makeScanner, d_->pool,
        ScanRunner::Handlers{[this](DiskScanner::Progress p) {
                                 setStatus(Status::scanning(p.filesScanned, p.bytesScanned,
                                                            std::move(p.currentPath)));
                             },
                             [this](const DiskInfo& disk) { setDisk(disk); },
                             [this](ScanRunner::Result result) { finishScan(std::move(result)); }});

    QSettings settings(kOrganisation, kApplication);
    // A one-entry list reads back as a plain string; toStringList() takes both.
    for (const QString& path : settings.value(kRecentsKey).toStringList())
        d_->recents.push_back(QFile::encodeName(path).toStdString());

    // The stored theme is applied once and not written back.
    if (auto stored = theme_name::fromRawValue(settings.value(kThemeKey).toString().toStdString()))
        d_->themeName = *stored;
    applyAppearance();

    if (auto mode = visualization_mode::fromRawValue(qgetenv("BRENWICK_MODE").toStdString()))
        d_->mode = *mode;

    // The start-up scan runs once the window is being built, not inside the constructor.
    if (qEnvironmentVariableIsSet("BRENWICK_SCAN")) {
        std::string path = qgetenv("BRENWICK_SCAN").toStdString();
        if (!path.empty())
            QMetaObject::invokeMethod(
                this, [this, path] { scan(path); }, Qt::QueuedConnection);
    }
}

ScanViewModel::~ScanViewModel() {
    d_->runner.reset();
    d_->pool.waitForDone();
}

ThemeName ScanViewModel::systemThemeName() const {
    return d_->services.systemThemeName ? d_->services.systemThemeName() : ThemeName::light;
}

void ScanViewModel::applyAppearance() {
    if (d_->services.applyAppearance) d_->services.applyAppearance(d_->themeName);
}

void ScanViewModel::applicationBecameActive() {
    QMetaObject::invokeMethod(
        this, [this] { handleDidBecomeActive(); }, Qt::QueuedConnection);
}

// Coming back from granting read access: scan the same folder again while the notice shows.
void ScanViewModel::handleDidBecomeActive() {
    if (!d_->showAccessNotice || d_->status.isScanning() || !d_->tree) return;
    scan(d_->tree->root()->path());
}

// ---- Getters -------------------------------------------------------------------------------------

const ScanViewModel::Status& ScanViewModel::status() const {
    return d_->status;
}
FileNode* ScanViewModel::root() const {
    return d_->tree ? d_->tree->root() : nullptr;
}
FileNode* ScanViewModel::currentFolder() const {
    return d_->currentFolder;
}
FileNode* ScanViewModel::selectedNode() const {
    return d_->selectedNode;
}
const std::vector<QuickWins::Category>& ScanViewModel::quickWins() const {
    return d_->quickWins;
}
AppTab ScanViewModel::tab() const {
    return d_->tab;
}
VisualizationMode ScanViewModel::mode() const {
    return d_->mode;
}
ColorMode ScanViewModel::colorMode() const {
    return d_->colorMode;
}
double ScanViewModel::depth() const {
    return d_->depth;
}
bool ScanViewModel::abbreviateLabels() const {
    return d_->abbreviateLabels;
}
const QString& ScanViewModel::filter() const {
    return d_->filter.text();
}
bool ScanViewModel::showInspector() const {
    return d_->showInspector;
}
ThemeName ScanViewModel::themeName() const {
    return d_->themeName;
}
const DiskInfo& ScanViewModel::disk() const {
    return d_->disk;
}
double ScanViewModel::scanDuration() const {
    return d_->scanDuration;
}
const std::vector<std::string>& ScanViewModel::recents() const {
    return d_->recents;
}
int64_t ScanViewModel::generation() const {
    return d_->generation;
}
int64_t ScanViewModel::unreadableFolderCount() const {
    return d_->unreadableFolderCount;
}
const std::vector<std::string>& ScanViewModel::unreadableFolderSamples() const {
    return d_->unreadableFolderSamples;
}
bool ScanViewModel::showAccessNotice() const {
    return d_->showAccessNotice;
}
std::shared_ptr<ScanTree> ScanViewModel::tree() const {
    return d_->tree;
}
CleanupQueue& ScanViewModel::cleanupQueue() const {
    return *d_->cleanupQueue;
}
SnapshotStore& ScanViewModel::snapshotStore() const {
    return *d_->snapshotStore;
}
UninstallFlow& ScanViewModel::uninstallFlow() const {
    return *d_->uninstallFlow;
}
DuplicateSearch& ScanViewModel::duplicates() const {
    return *d_->duplicates;
}
InstalledApps& ScanViewModel::apps() const {
    return *d_->apps;
}
FolderReports& ScanViewModel::reports() const {
    return *d_->reports;
}

// ---- Setters -------------------------------------------------------------------------------------

void ScanViewModel::setStatus(Status status) {
    publish(this, d_->status, std::move(status), &ScanViewModel::statusChanged);
}

void ScanViewModel::setCurrentFolder(FileNode* folder) {
    // A regrouping has no parent to go back to: it is shown, never entered.
    if (folder && folder->isVirtual()) return;
    publish(this, d_->currentFolder, folder, &ScanViewModel::currentFolderChanged);
}

void ScanViewModel::setSelectedNode(FileNode* node) {
    publish(this, d_->selectedNode, node, &ScanViewModel::selectedNodeChanged);
}

void ScanViewModel::setTab(AppTab tab) {
    publish(this, d_->tab, tab, &ScanViewModel::tabChanged);
}
void ScanViewModel::setMode(VisualizationMode mode) {
    publish(this, d_->mode, mode, &ScanViewModel::modeChanged);
}
void ScanViewModel::setColorMode(ColorMode mode) {
    publish(this, d_->colorMode, mode, &ScanViewModel::colorModeChanged);
}
void ScanViewModel::setDepth(double depth) {
    publish(this, d_->depth, depth, &ScanViewModel::depthChanged);
}
void ScanViewModel::setAbbreviateLabels(bool on) {
    publish(this, d_->abbreviateLabels, on, &ScanViewModel::abbreviateLabelsChanged);
}
void ScanViewModel::setShowInspector(bool on) {
    publish(this, d_->showInspector, on, &ScanViewModel::showInspectorChanged);
}
void ScanViewModel::setShowAccessNotice(bool on) {
    publish(this, d_->showAccessNotice, on, &ScanViewModel::showAccessNoticeChanged);
}

void ScanViewModel::setFilter(const QString& text) {
    if (d_->filter.text() == text) return;
    d_->filter = NameFilter(text);
    emit filterChanged();
}

void ScanViewModel::setThemeName(ThemeName name) {
    // Every assignment is stored and applied, even of the same theme.
    d_->themeName = name;
    emit themeNameChanged();
    QSettings(kOrganisation, kApplication).setValue(kThemeKey, QString::fromUtf8(theme_name::rawValue(name)));
    applyAppearance();
}

void ScanViewModel::setDisk(DiskInfo disk) {
    publish(this, d_->disk, std::move(disk), &ScanViewModel::diskChanged);
}

void ScanViewModel::setGeneration(int64_t generation) {
    publish(this, d_->generation, generation, &ScanViewModel::generationChanged);
}

// ---- Scan control --------------------------------------------------------------------------------

void ScanViewModel::scan(const std::string& input) {
    const std::string path = filePath(input);

    // Supersedes the running scan: nothing of it is published any more.
    d_->runner->start(path);

    // The old tree and everything pointing into it leave the published state before any signal goes
    // out, and are freed in the background afterwards.
    struct Discard {
        std::shared_ptr<ScanTree> tree;
        std::vector<QuickWins::Category> quickWins;
    };
    ChangeBatch changes(this);
    changes.set(d_->status, Status::scanning(0, 0, path), &ScanViewModel::statusChanged);
    Discard discard;
    discard.tree = changes.take(d_->tree, &ScanViewModel::rootChanged);
    changes.take(d_->currentFolder, &ScanViewModel::currentFolderChanged);
    changes.take(d_->selectedNode, &ScanViewModel::selectedNodeChanged);
    discard.quickWins = changes.take(d_->quickWins, &ScanViewModel::quickWinsChanged);
    changes.set(d_->unreadableFolderCount, 0, &ScanViewModel::unreadableFolderCountChanged);
    changes.take(d_->unreadableFolderSamples, &ScanViewModel::unreadableFolderSamplesChanged);
    changes.set(d_->showAccessNotice, false, &ScanViewModel::showAccessNoticeChanged);
    changes.set(d_->tab, AppTab::explore, &ScanViewModel::tabChanged);
    d_->duplicates->clear();
    d_->reports->reset();
    changes.announce();
    releaseInBackground(d_->pool, std::move(discard));

    recordRecent(path);
}

void ScanViewModel::chooseFolder() {
    if (!d_->services.chooseFolder) return;
    if (auto folder = d_->services.chooseFolder()) scan(*folder);
}

void ScanViewModel::recordRecent(const std::string& path) {
    const std::string key = standardizedPath(path);
    std::erase_if(d_->recents, [&](const std::string& p) { return standardizedPath(p) == key; });
    d_->recents.insert(d_->recents.begin(), path);
    if (d_->recents.size() > kRecentLimit) d_->recents.resize(kRecentLimit);
    emit recentsChanged();

    QStringList stored;
    for (const auto& p : d_->recents)
        stored << QFile::decodeName(QByteArray::fromStdString(p));
    QSettings(kOrganisation, kApplication).setValue(kRecentsKey, stored);
}

void ScanViewModel::finishScan(ScanRunner::Result result) {
    publish(this, d_->scanDuration, result.seconds, &ScanViewModel::scanDurationChanged);
    setGeneration(d_->generation + 1);

    d_->tree = std::move(result.tree);
    emit rootChanged();
    setCurrentFolder(d_->tree->root());
    setSelectedNode(d_->tree->root());
    d_->quickWins = std::move(result.quickWins);
    emit quickWinsChanged();
    setDisk(std::move(result.disk));

    publish(this, d_->unreadableFolderCount, result.unreadableCount,
            &ScanViewModel::unreadableFolderCountChanged);
    publish(this, d_->unreadableFolderSamples, std::move(result.unreadableSamples),
            &ScanViewModel::unreadableFolderSamplesChanged);
    setShowAccessNotice(result.unreadableCount > 0);
    setStatus(Status::done());
}

// ---- Navigation and actions ----------------------------------------------------------------------

std::string ScanViewModel::displayName(const std::string& path) const {
    const std::string standardized = standardizedPath(filePath(path));
    if (standardized == standardizedPath(platform::homeFolder())) return "Home";
    if (standardized == "/") return d_->disk.name;
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
    FileNode* left = d_->currentFolder;
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
    return d_->filter.matches(node);
}

void ScanViewModel::findDuplicates() {
    d_->duplicates->search(d_->tree);
}

// ---- Reports -------------------------------------------------------------------------------------

void ScanViewModel::requestAgeReport(FileNode* folder) {
    d_->reports->requestAgeReport(d_->tree, folder);
}

void ScanViewModel::requestRankings(FileNode* folder) {
    d_->reports->requestRankings(d_->tree, folder);
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
        removal = d_->tree->removeItems(paths);
        if (d_->currentFolder) setCurrentFolder(removal.survivingFolder(d_->currentFolder));
        if (d_->selectedNode && removal.holds(d_->selectedNode)) setSelectedNode(d_->currentFolder);

        d_->duplicates->prune(removal);
        d_->reports->reset();
    }

    d_->apps->prune(paths);

    setGeneration(d_->generation + 1);

    if (root) refreshAfterEdit();
}

// The disk and the quick wins of the edited tree, computed in the background and published only
// while no later scan or edit has superseded them.
void ScanViewModel::refreshAfterEdit() {
    const int64_t generation = d_->generation;
    runInBackground(
        &d_->pool, this,
        [tree = d_->tree] {
            std::vector<QuickWins::Category> wins;
            {
                std::shared_lock lock(tree->mutex());
                wins = QuickWins::analyze(tree->root());
            }
            return std::make_pair(std::move(wins), DiskInfo::forVolume(tree->root()->path()));
        },
        [this, generation](std::pair<std::vector<QuickWins::Category>, DiskInfo> result) {
            if (generation != d_->generation) return;
            setDisk(std::move(result.second));
            d_->quickWins = std::move(result.first);
            emit quickWinsChanged();
        });
}

// ---- Uninstall -----------------------------------------------------------------------------------

void ScanViewModel::uninstall(const AppUninstaller::InstalledApp& app,
                              std::function<void(std::vector<std::string> failed)> finished) {
    d_->uninstallFlow->uninstall(app, std::move(finished));
}
