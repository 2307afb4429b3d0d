#pragma once

#include "model/Snapshot.h"

#include <QObject>
#include <QUuid>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class SnapshotSource;

// What the comparison pane shows.
struct ComparisonState {
    enum class Kind {
        none,           // fewer than two different snapshots picked
        loading,        // reading and comparing
        failed,         // one of the two could not be read
        differentRoots, // they record different folders
        ready,
    };
    Kind kind = Kind::none;
    // ready: the largest changes first, at most SnapshotComparison::kMaxChanges.
    std::vector<Snapshot::Delta> deltas;
    // ready: when the "Before" and the "After" snapshot were taken (seconds since 2001).
    double from = 0, to = 0;
};

// The Snapshots screen's picks ("Before" and "After", each one snapshot id or none; one snapshot may be
// both) and the comparison they ask for. Every change of a pick starts a new comparison and abandons
// the running one: its loads and its result are dropped when they arrive, so a stale comparison never
// shows. Changes are always computed from "Before" to "After", whichever is older.
//
// Threads: window thread. Reading and comparing run off it, in the source.
class SnapshotComparison : public QObject {
    Q_OBJECT
  public:
    static constexpr size_t kMaxChanges = 200;

    explicit SnapshotComparison(SnapshotSource& source, QObject* parent = nullptr);
    ~SnapshotComparison() override;

    const std::optional<QUuid>& before() const { return before_; }
    const std::optional<QUuid>& after() const { return after_; }
    const ComparisonState& state() const { return state_; }

    // Setting a pick to the id it holds changes nothing.
    void setBefore(std::optional<QUuid> id);
    void setAfter(std::optional<QUuid> id);
    // Clears the picks that hold the snapshot, then deletes it from the source.
    void deleteSnapshot(const QUuid& id);

  signals:
    void picksChanged();
    void stateChanged();

  private:
    struct Run;
    void start();
    void arrived(const std::shared_ptr<Run>& run, size_t slot, std::optional<Snapshot> snapshot);
    void setState(ComparisonState state);

    SnapshotSource& source_;
    std::optional<QUuid> before_, after_;
    ComparisonState state_;
    uint64_t generation_ = 0; // the running comparison's number; older ones are dropped
};
