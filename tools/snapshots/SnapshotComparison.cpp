#include "tools/snapshots/SnapshotComparison.h"

#include "model/BackgroundTask.h"
#include "tools/snapshots/SnapshotSource.h"

#include <QThreadPool>

namespace {

// A snapshot holds a map of every recorded folder; dropping one must not stall the window.
template <typename T> void dropInBackground(T&& value) {
    releaseInBackground(*QThreadPool::globalInstance(), std::forward<T>(value));
}

} // namespace

// One comparison: its number and the two snapshots as they arrive.
struct SnapshotComparison::Run {
    uint64_t generation = 0;
    std::array<std::optional<Snapshot>, 2> snapshots; // "Before", "After"
    bool settled = false;                             // failed, or both arrived
};

SnapshotComparison::SnapshotComparison(SnapshotSource& source, QObject* parent)
    : QObject(parent), source_(source) {}

SnapshotComparison::~SnapshotComparison() = default;

void SnapshotComparison::setBefore(std::optional<QUuid> id) {
    if (id == before_) return;
    before_ = id;
    emit picksChanged();
    start();
}

void SnapshotComparison::setAfter(std::optional<QUuid> id) {
    if (id == after_) return;
    after_ = id;
    emit picksChanged();
    start();
}

void SnapshotComparison::deleteSnapshot(const QUuid& id) {
    const bool picked = before_ == id || after_ == id;
    if (before_ == id) before_.reset();
    if (after_ == id) after_.reset();
    if (picked) {
        emit picksChanged();
        start();
    }
    // Deleting a snapshot that is not picked leaves the comparison on screen.
    source_.remove(id);
}

void SnapshotComparison::start() {
    auto run = std::make_shared<Run>();
    run->generation = ++generation_;
    if (!before_ || !after_ || *before_ == *after_) return setState({});
    setState({ComparisonState::Kind::loading, {}, 0, 0});
    // Both files are read at once.
    source_.load(*before_, this,
                 [this, run](std::optional<Snapshot> snapshot) { arrived(run, 0, std::move(snapshot)); });
    source_.load(*after_, this,
                 [this, run](std::optional<Snapshot> snapshot) { arrived(run, 1, std::move(snapshot)); });
}

void SnapshotComparison::arrived(const std::shared_ptr<Run>& run, size_t slot,
                                 std::optional<Snapshot> snapshot) {
    if (run->generation != generation_ || run->settled) return dropInBackground(std::move(snapshot));
    if (!snapshot) {
        run->settled = true;
        dropInBackground(std::move(run->snapshots));
        return setState({ComparisonState::Kind::failed, {}, 0, 0});
    }
    run->snapshots[slot] = std::move(snapshot);
    if (!run->snapshots[0] || !run->snapshots[1]) return;
    run->settled = true;
    Snapshot before = std::move(*run->snapshots[0]), after = std::move(*run->snapshots[1]);
    if (before.rootPath != after.rootPath) {
        dropInBackground(std::make_pair(std::move(before), std::move(after)));
        return setState({ComparisonState::Kind::differentRoots, {}, 0, 0});
    }
    const double from = before.takenAt, to = after.takenAt;
    source_.compare(std::move(before), std::move(after), kMaxChanges, this,
                    [this, generation = run->generation, from, to](std::vector<Snapshot::Delta> deltas) {
                        if (generation != generation_) return;
                        setState({ComparisonState::Kind::ready, std::move(deltas), from, to});
                    });
}

void SnapshotComparison::setState(ComparisonState state) {
    // The old list goes with the old state; at most kMaxChanges rows, cheap to free here.
    state_ = std::move(state);
    emit stateChanged();
}
