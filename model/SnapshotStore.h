#pragma once

#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/Snapshot.h"

#include <QObject>
#include <QThreadPool>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <unordered_set>
#include <vector>

// Owns the snapshot folder, $XDG_DATA_HOME/Brenwick/Snapshots: "index.json" (the summaries) and one
// "<UUID>.json" per snapshot. Lives on the main thread; every method must be called there. Reading,
// walking and writing snapshot files happen on the store's own pool; results come back queued.
//
// Protection of the user's data: only regular files are read (no link is followed, no FIFO waited
// on, nothing past kMaxFileBytes); an index.json that is anything else, or cannot be read or decoded,
// is moved aside (never written over) and the list is rebuilt from the snapshot files; a snapshot file
// the index does not list (a quit or a crash came between the two) is listed at the next start; the
// legacy single-file list ("Snapshots.json" beside the folder) is merged once and removed only when every
// snapshot in it was written to its own file. Every file is written atomically (temporary file, fsync,
// rename).
class SnapshotStore : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kLegacyFileName = "Snapshots.json";
    static constexpr const char* kIndexFileName = "index.json";
    // Larger files are not read: far beyond any real list or snapshot, and a bound on memory.
    static constexpr size_t kMaxFileBytes = 256u << 20;

    // Base folder $XDG_DATA_HOME/Brenwick (default ~/.local/share/Brenwick).
    explicit SnapshotStore(QObject* parent = nullptr);
    // Base folder given (the snapshot folder is its "Snapshots").
    explicit SnapshotStore(const std::string& baseFolder, QObject* parent = nullptr);
    // Stops a save that is still walking (it then writes nothing), waits for running background work and
    // lists in the index a snapshot written meanwhile: at the quit, its result never comes back.
    ~SnapshotStore() override;

    // In index order, then each new snapshot appended; sorted by takenAt (oldest first) after a merge
    // of the legacy list or a rebuild.
    const std::vector<Snapshot::Summary>& summaries() const { return summaries_; }
    bool isSaving() const { return isSaving_; }
    const std::string& directory() const { return directory_; }

    // Takes a snapshot of `root` (the tree's root when null) in the background unless a save is
    // already running. The walk holds the tree's shared lock; the file is written after it is released.
    void save(std::shared_ptr<ScanTree> tree, const FileNode* root = nullptr);
    // Reads a snapshot in the background; `done` gets nothing when it cannot be read or decoded.
    // `done` runs on the main thread, and not at all when `context` is destroyed first.
    void load(const QUuid& id, QObject* context, std::function<void(std::optional<Snapshot>)> done);
    // Removes the snapshot from the list, the index and the disk.
    void remove(const QUuid& id);
    // Snapshot::deltas in the background, cut there to the `limit` largest changes, handed back like
    // load().
    void compare(Snapshot earlier, Snapshot later, size_t limit, QObject* context,
                 std::function<void(std::vector<Snapshot::Delta>)> done);

    // For tests: waits until no background work runs (then queued results still need the event loop).
    bool waitForBackgroundWork(int msecs = -1);

    // Blocking file operations (also used by the background tasks).
    static bool writeSnapshot(const Snapshot& snapshot, const std::string& folder);
    static std::optional<Snapshot> readSnapshot(const std::string& file);
    // Folder path -> logicalSize for `root` and every folder of at least 1,000,000 bytes below it
    // (smaller folders are neither recorded nor descended into). Once `stop` is requested it records no
    // further folder.
    static std::map<std::string, int64_t> collectFolderSizes(const FileNode* root, std::stop_token stop = {});

  signals:
    void summariesChanged();
    void isSavingChanged();

  private:
    void open();
    bool writeIndex();
    // Appends the summaries not yet listed, sorts by takenAt, writes the index; true when written.
    bool mergeSummaries(const std::vector<Snapshot::Summary>& found);
    // Appends the summary unless it is listed or was removed; true when appended.
    bool list(const Snapshot::Summary& summary);
    // Lists the snapshots saves have written since the last call; true when any was new.
    bool listWritten();
    // Reads the snapshot files the list lacks and merges them; `rebuild` writes the index even when
    // none is found.
    void listUnindexedInBackground(bool rebuild);
    void migrateLegacyList();
    std::string snapshotFile(const QUuid& id) const;

    std::string baseFolder_;
    std::string directory_;
    std::vector<Snapshot::Summary> summaries_;
    std::unordered_set<QString> removed_; // ids, so a late find does not list a removed snapshot again
    struct Written;
    std::shared_ptr<Written> written_; // by saves, not yet listed
    bool isSaving_ = false;
    bool indexWritable_ = true;
    std::stop_source stop_; // requested when the store goes
    QThreadPool pool_;
};
