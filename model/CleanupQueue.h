#pragma once

#include "model/FileNode.h"
#include "platform/TrashFolders.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {
class TrashBackend;
}

// The items the user has set aside for the Trash. Lives on the main thread; every method must be
// called there. Items are identified by their normalised absolute path, so "/x/a/" and "/x/a" are one
// item; relative paths (a group node's, a detached node's) are refused. So is anything in a Trash
// folder, or a Trash folder itself: moving it "to the Trash" would only move it within the Trash and
// leave its record without its file. Those refusals are kept, with their reason, for the user to see.
// Staging costs no file-system call: the Trash folders are known beforehand (setTrashFolders()).
class CleanupQueue : public QObject {
    Q_OBJECT
  public:
    struct Item {
        QUuid id;         // fresh per staging
        std::string path; // normalised absolute path, raw bytes
        int64_t size = 0; // the node's sizeOnDisk, or the caller's figure
        QString reason;   // "Staged from Explore", "Duplicate", a quick win's title...
        friend bool operator==(const Item&, const Item&) = default;
    };

    // A path turned away, and why ("It is already in the Trash.").
    struct Refusal {
        std::string path;
        QString reason;
        friend bool operator==(const Refusal&, const Refusal&) = default;
    };

    // Every path given ends up in exactly one of `done` and `failed`.
    struct TrashResult {
        std::vector<std::string> done;   // moved, already gone, or taken along with a moved folder
        std::vector<std::string> failed; // still there after both attempts, or refused
        std::vector<Refusal> refused;    // those of `failed` turned away untried, with the reason
    };
    using TrashCallback = std::function<void(const TrashResult&)>;

    // `backend` stands in for the Trash in tests; null means the real freedesktop.org Trash.
    explicit CleanupQueue(QObject* parent = nullptr,
                          std::shared_ptr<platform::TrashBackend> backend = nullptr);
    ~CleanupQueue() override;

    const std::vector<Item>& items() const { return items_; }
    int64_t totalSize() const;
    // True when an item has the normalised form of `path`.
    bool contains(std::string_view path) const;
    // Why the place at `path` may not go to the Trash (it is in a Trash folder), or nothing. Compares
    // path text with the Trash folders known to the queue.
    std::optional<QString> refusalReason(std::string_view path) const;
    // The Trash folders staging judges by: at first those of the environment and the mount table
    // (text only), then those of the scan shown (TrashFolders::forScan), which also knows the scanned
    // folder's spelling of them when it was reached through a link.
    void setTrashFolders(platform::TrashFolders folders) { trash_ = std::move(folders); }
    // The items that staging turned away since the queue was last cleared or moved, oldest first.
    const std::vector<Refusal>& refusals() const { return refusals_; }

    // Stages a node of a scanned tree with its sizeOnDisk. Returns false when its path is refused
    // (a group or detached node, or in a Trash folder) or already staged.
    bool add(const FileNode* node, const QString& reason);
    // Stages (path, size) entries sharing one reason, skipping refused and already staged paths
    // (a path repeated in the list is staged once), and unstages `unstagePath` when given. Returns how
    // many were staged. Announces the batch as one change of the items (and one of the refusals).
    int addAll(const std::vector<std::pair<std::string, int64_t>>& entries, const QString& reason,
               std::string_view unstagePath = {});
    // addAll over the nodes that have a real place (group and detached nodes are skipped), by path and
    // size on disk; `kept`, when given, is left out and unstaged in the same change.
    int addNodes(const std::vector<FileNode*>& nodes, const QString& reason, const FileNode* kept = nullptr);
    void remove(std::string_view path);
    void remove(const QUuid& id);
    // Unstages everything at once (one change), and forgets the refusals.
    void clear();

    // Moves every staged item to the Trash in the background. When done (on this object's thread),
    // removes exactly the items that were moved (items staged meanwhile stay) and calls `done`.
    void trashStaged(TrashCallback done = {});

    // Moves `paths` to the Trash on a pool thread, shortest path first (a folder before what is inside
    // it; anything inside a moved folder counts as moved without a file operation); failures get a
    // second attempt. A path with nothing at it (lstat) counts as moved; one in a Trash folder (by its
    // text or with its parent's links resolved) is refused without a file operation. `done` runs on
    // `context`'s thread, and not at all when `context` is destroyed first.
    static void moveToTrash(std::vector<std::string> paths, QObject* context, TrashCallback done,
                            std::shared_ptr<platform::TrashBackend> backend = nullptr);
    // The same work, blocking, on the calling thread.
    static TrashResult moveToTrashBlocking(const std::vector<std::string>& paths,
                                           platform::TrashBackend& backend);

  signals:
    void itemsChanged();
    void refusalsChanged();

  private:
    enum class Staging { added, skipped, refused };
    // Stages one path without announcing it; a refusal is appended to `refused`.
    Staging stage(std::string_view path, int64_t size, const QString& reason, std::vector<Refusal>& refused);
    // Keeps the refusals of one staging, each path once and latest last.
    void noteRefusals(std::vector<Refusal> refused);
    // Unstages the item at the normalised `path` without announcing it; false when there is none.
    bool unstage(const std::string& path);
    void forgetRefusals();

    std::vector<Item> items_;
    std::unordered_set<std::string> staged_; // the items' paths, so staging many is not quadratic
    std::vector<Refusal> refusals_;
    std::shared_ptr<platform::TrashBackend> backend_;
    platform::TrashFolders trash_;
};
