#pragma once

#include "model/Arena.h"
#include "model/FileNode.h"
#include "platform/TrashFolders.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// What ScanTree::removeItems took out of the tree.
struct TreeRemoval {
    std::vector<FileNode*> removed;       // the detached nodes, in order of detachment
    std::vector<FileNode*> formerParents; // the folder each was detached from (its parent link is cut)

    bool empty() const { return removed.empty(); }
    // True when `node` is a removed node or lies below one.
    bool holds(const FileNode* node) const;
    // `folder` itself, or, when it went, the folder its removed ancestor was detached from; on up
    // while that went too (a folder removed after something inside it).
    FileNode* survivingFolder(FileNode* folder) const;
};

// The result of one scan: owns every node, every name and every regrouping made from it.
//
// Ownership: nodes are allocated in arenas owned by the tree and are never freed one by one. A node
// removed after a move to the Trash stays allocated (with its parent link cut) until the tree dies.
// The "By type" and "By age" regroupings are memoised per (folder, grouping, edit count) and their
// group nodes live in the tree's own arena too, so a selection, hover, layout cache or report that
// holds any node (real or virtual) stays valid as long as it holds a std::shared_ptr<ScanTree>.
//
// Locking: background readers hold mutex() shared while they walk; the main thread holds it
// exclusively while it edits the tree (removal of trashed items) and then calls noteEdited().
class ScanTree {
  public:
    ScanTree(std::string_view rootPath, std::string_view rootName);
    ScanTree(const ScanTree&) = delete;
    ScanTree& operator=(const ScanTree&) = delete;

    FileNode* root() const { return root_; }
    std::string_view rootPath() const { return root_->rootPath(); }

    // Arena for nodes made outside a scan worker (the root, groups). Callers other than the scanner
    // go through the regrouping functions below, which lock it.
    Arena& arena() { return arena_; }
    // Takes over a scanner worker's arena after the walk.
    void adoptArena(Arena&& other);
    size_t bytesReserved() const;

    std::shared_mutex& mutex() const { return mutex_; }

    // The Trash folders as this tree's paths spell them (see TrashFolders::forScan): what lies in one
    // is shown but never offered for cleanup. Set once by the scan, before the tree is shared.
    const platform::TrashFolders& trashFolders() const { return trashFolders_; }
    void setTrashFolders(platform::TrashFolders folders) { trashFolders_ = std::move(folders); }

    // Changes with every edit of the tree; regroupings made before an edit are kept but not reused.
    uint64_t editCount() const { return editCount_; }
    void noteEdited() { ++editCount_; }

    // The node at `path` (standardised first): the root for its own path, else the node reached by
    // walking children by name (of two same-named children, the larger); null outside the tree.
    FileNode* findNode(std::string_view path) const;
    // Detaches the nodes at `paths`, in order, after a move to the Trash: takes their sizes, counts and
    // type bytes off every ancestor, keeps each ancestor's children largest first, and notes the edit.
    // The root, paths outside the tree and paths inside a folder detached earlier are skipped. Main
    // thread; takes mutex() exclusively.
    TreeRemoval removeItems(const std::vector<std::string>& paths);

    // Memoised regroupings; return the folder itself when it holds no files. Thread-safe: a caller off
    // the main thread holds mutex() shared. The build runs outside the memo's own lock, so a lookup or
    // a small build is never held up by a large one on another thread.
    const FileNode* categoryGroups(const FileNode* folder);
    const FileNode* ageGroups(const FileNode* folder, double now);
    // The regrouping made for the current edit count, or null when there is none yet; never builds.
    const FileNode* findCategoryGroups(const FileNode* folder) const;
    const FileNode* findAgeGroups(const FileNode* folder) const;

  private:
    using GroupsKey = std::tuple<const FileNode*, int, uint64_t>; // folder, grouping, edit count
    const FileNode* findGroups(const GroupsKey& key) const;
    template <typename Build>
    const FileNode* memoisedGroups(const FileNode* folder, int grouping, Build build);

    Arena arena_;
    FileNode* root_;
    platform::TrashFolders trashFolders_;
    mutable std::shared_mutex mutex_;
    mutable std::mutex groupsMutex_; // guards arena_ and groups_; never held while taking mutex_
    std::map<GroupsKey, const FileNode*> groups_;
    std::atomic<uint64_t> editCount_ = 0;
};

// The display name of a scan's root: the last path component, or the root file system's name for "/".
std::string rootDisplayName(std::string_view path);
