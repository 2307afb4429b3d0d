#pragma once

#include "model/Snapshot.h"

#include <QUuid>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class QObject;
class SnapshotStore;

// Where the Snapshots screen reads, compares and deletes snapshots: the store, or a fake in tests.
// Called on the window thread; `done` runs there later (never inside the call), and not at all when
// `context` is destroyed first.
class SnapshotSource {
  public:
    using Loaded = std::function<void(std::optional<Snapshot>)>;
    using Compared = std::function<void(std::vector<Snapshot::Delta>)>;

    virtual ~SnapshotSource() = default;
    // The snapshot, or nothing when its file is missing, unreadable or damaged; read off the window thread.
    virtual void load(const QUuid& id, QObject* context, Loaded done) = 0;
    // The `limit` largest changes from `earlier` to `later`, largest first; computed off the window thread.
    virtual void compare(Snapshot earlier, Snapshot later, size_t limit, QObject* context, Compared done) = 0;
    virtual void remove(const QUuid& id) = 0;
};

// The application's snapshot store as a source.
class StoreSnapshotSource final : public SnapshotSource {
  public:
    explicit StoreSnapshotSource(SnapshotStore& store) : store_(store) {}

    void load(const QUuid& id, QObject* context, Loaded done) override;
    void compare(Snapshot earlier, Snapshot later, size_t limit, QObject* context, Compared done) override;
    void remove(const QUuid& id) override;

  private:
    SnapshotStore& store_;
};
