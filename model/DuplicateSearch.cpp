#include "model/DuplicateSearch.h"

#include "model/BackgroundTask.h"
#include "model/Published.h"
#include "model/ScanTree.h"

#include <utility>

DuplicateSearch::DuplicateSearch(QThreadPool& pool, QObject* parent) : QObject(parent), pool_(pool) {}

DuplicateSearch::~DuplicateSearch() {
    // Quitting must not wait for a search to read the rest of its files.
    stop_.request_stop();
}

void DuplicateSearch::leaveEpoch() {
    ++epoch_;
    stop_.request_stop();
    stop_ = std::stop_source();
}

void DuplicateSearch::search(std::shared_ptr<ScanTree> tree) {
    if (!tree) return;
    publish(this, searching_, true, &DuplicateSearch::isSearchingChanged);
    struct Found {
        std::shared_ptr<ScanTree> tree;
        std::vector<DuplicateFinder::Group> groups;
    };
    runInBackground(
        &pool_, this,
        [tree, stop = stop_.get_token()] {
            return Found{tree, DuplicateFinder::find(tree, nullptr, nullptr, 0, stop)};
        },
        [this, epoch = epoch_](Found found) {
            if (epoch == epoch_) {
                groups_ = std::move(found.groups);
                std::swap(tree_, found.tree);
                emit groupsChanged();
            }
            // Whichever tree is let go here may be the last reference to it.
            releaseInBackground(pool_, std::move(found.tree));
            publish(this, searching_, false, &DuplicateSearch::isSearchingChanged);
        });
}

void DuplicateSearch::clear() {
    leaveEpoch();
    releaseInBackground(pool_, std::exchange(tree_, {}));
    if (groups_.empty()) return;
    groups_.clear();
    emit groupsChanged();
}

void DuplicateSearch::prune(const TreeRemoval& removal) {
    leaveEpoch();
    std::vector<DuplicateFinder::Group> kept;
    for (const auto& group : groups_) {
        DuplicateFinder::Group rest{group.id, group.size, {}};
        for (FileNode* f : group.files)
            if (!removal.holds(f)) rest.files.push_back(f);
        if (rest.files.size() >= 2) kept.push_back(std::move(rest));
    }
    groups_ = std::move(kept);
    if (groups_.empty()) releaseInBackground(pool_, std::exchange(tree_, {}));
    emit groupsChanged();
}
