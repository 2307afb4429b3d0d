#include "tools/snapshots/SnapshotSource.h"

#include "model/SnapshotStore.h"

void StoreSnapshotSource::load(const QUuid& id, QObject* context, Loaded done) {
    store_.load(id, context, std::move(done));
}

void StoreSnapshotSource::compare(Snapshot earlier, Snapshot later, size_t limit, QObject* context,
                                  Compared done) {
    store_.compare(std::move(earlier), std::move(later), limit, context, std::move(done));
}

void StoreSnapshotSource::remove(const QUuid& id) {
    store_.remove(id);
}
