#include "model/FolderReports.h"

#include "model/BackgroundTask.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"

#include <shared_mutex>

namespace {
enum Kind : int { kAge, kRankings };
}

FolderReports::FolderReports(QThreadPool& pool, QObject* parent) : QObject(parent), pool_(pool) {}

FolderReports::~FolderReports() = default;

const AgeReport* FolderReports::ageReport(const FileNode* folder) const {
    auto it = ageReports_.find(folder);
    return it == ageReports_.end() ? nullptr : &it->second;
}

const Rankings* FolderReports::rankingsFor(const FileNode* folder) const {
    auto it = rankings_.find(folder);
    return it == rankings_.end() ? nullptr : &it->second;
}

void FolderReports::reset() {
    ++epoch_;
    pending_.clear();
    releaseInBackground(pool_, std::exchange(tree_, {}));
    if (!ageReports_.empty()) {
        releaseInBackground(pool_, std::exchange(ageReports_, {}));
        emit ageReportsChanged();
    }
    if (!rankings_.empty()) {
        releaseInBackground(pool_, std::exchange(rankings_, {}));
        emit rankingsChanged();
    }
}

template <typename Report, typename Compute>
void FolderReports::request(int kind, const std::shared_ptr<ScanTree>& tree, FileNode* folder,
                            std::unordered_map<const FileNode*, Report>& reports,
                            void (FolderReports::*changed)(), Compute compute) {
    if (!folder || !tree) return;
    if (tree != tree_) {
        reset();
        tree_ = tree;
    }
    if (reports.count(folder) || !pending_.insert({kind, folder}).second) return;

    struct Computed {
        std::shared_ptr<ScanTree> tree;
        Report report;
    };
    runInBackground(
        &pool_, this,
        [tree, folder, compute] {
            std::shared_lock lock(tree->mutex());
            return Computed{tree, compute(*tree, folder)};
        },
        [this, folder, epoch = epoch_, &reports, changed](Computed computed) {
            // The tree let go here may be the last reference to it.
            releaseInBackground(pool_, std::move(computed.tree));
            if (epoch != epoch_) return;
            reports[folder] = std::move(computed.report);
            emit(this->*changed)();
        });
}

void FolderReports::requestAgeReport(const std::shared_ptr<ScanTree>& tree, FileNode* folder) {
    request(kAge, tree, folder, ageReports_, &FolderReports::ageReportsChanged,
            [](const ScanTree& scanned, const FileNode* f) {
                return AgeReport::compute(f, scanned.trashFolders());
            });
}

void FolderReports::requestRankings(const std::shared_ptr<ScanTree>& tree, FileNode* folder) {
    request(kRankings, tree, folder, rankings_, &FolderReports::rankingsChanged,
            [](const ScanTree&, const FileNode* f) { return Rankings::compute(f, Rankings::kDefaultLimit); });
}

std::vector<std::pair<FileCategory, int64_t>> FolderReports::rootTypeBreakdown(const FileNode* root) {
    std::vector<std::pair<FileCategory, int64_t>> out;
    if (!root || !root->typeSizes()) return out;
    for (FileCategory c : file_category::allCases) {
        const int64_t bytes = (*root->typeSizes())[file_category::rawValue(c)];
        if (bytes > 0) out.emplace_back(c, bytes);
    }
    return out;
}
