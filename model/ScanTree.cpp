#include "model/ScanTree.h"

#include "platform/Paths.h"
#include "platform/Volumes.h"

#include <algorithm>
#include <optional>

ScanTree::ScanTree(std::string_view rootPath, std::string_view rootName)
    : root_(FileNode::makeRoot(arena_, rootName, rootPath)) {
    auto* totals = new (arena_.allocateArray<FolderTotals>(1)) FolderTotals{};
    root_->setTotals(totals, false);
}

void ScanTree::adoptArena(Arena&& other) {
    std::lock_guard lock(groupsMutex_);
    arena_.adopt(std::move(other));
}

size_t ScanTree::bytesReserved() const {
    return arena_.bytesReserved();
}

// ---- Removal after a move to the Trash ------------------------------------------------------------

namespace {

// Takes a detached node's sizes, counts and type bytes off every ancestor from `first` (its former
// parent) up, keeping each ancestor's children largest first.
void subtractFromAncestors(const FileNode* node, FileNode* first) {
    const int64_t files = node->isDirectory() ? node->fileCount() : 1;
    const int64_t folders = node->isDirectory() ? node->folderCount() + 1 : 0;
    const auto* nodeSlots = node->typeSizes();

    FileNode* changedChild = nullptr; // the child of `a` on the way up, whose size just dropped
    for (FileNode* a = first; a; changedChild = a, a = a->parent()) {
        a->logicalSize -= node->logicalSize;
        a->sizeOnDisk -= node->sizeOnDisk;
        if (FolderTotals* totals = a->totals()) {
            totals->fileCount -= files;
            totals->folderCount -= folders;
            if (a->hasTypeSizes()) {
                if (nodeSlots) {
                    for (int i = 0; i < kFileCategoryCount; ++i)
                        totals->typeSizes[i] -= (*nodeSlots)[i];
                } else if (!node->isDirectory()) {
                    totals->typeSizes[file_category::rawValue(node->category)] -= node->sizeOnDisk;
                }
            }
        }
        if (!changedChild) continue;
        // Only this child shrank: moving it right past the strictly larger ones gives the order a stable
        // largest-first sort would give, without sorting.
        auto kids = a->mutableChildren();
        auto it = std::find(kids.begin(), kids.end(), changedChild);
        if (it == kids.end()) continue;
        for (auto next = it + 1; next != kids.end() && (*next)->sizeOnDisk > changedChild->sizeOnDisk;
             ++next) {
            std::iter_swap(it, next);
            it = next;
        }
    }
}

} // namespace

bool TreeRemoval::holds(const FileNode* node) const {
    for (const FileNode* n = node; n; n = n->parent())
        if (std::find(removed.begin(), removed.end(), n) != removed.end()) return true;
    return false;
}

FileNode* TreeRemoval::survivingFolder(FileNode* folder) const {
    auto removedHolding = [&](const FileNode* node) -> std::optional<size_t> {
        for (size_t i = 0; i < removed.size(); ++i)
            for (const FileNode* n = node; n; n = n->parent())
                if (n == removed[i]) return i;
        return std::nullopt;
    };
    while (auto i = removedHolding(folder))
        folder = formerParents[*i];
    return folder;
}

FileNode* ScanTree::findNode(std::string_view path) const {
    const std::string target = platform::standardizedPath(path);
    const std::string base = platform::standardizedPath(root_->path());
    if (target == base) return root_;
    const std::string prefix = base == "/" ? "/" : base + "/";
    if (!target.starts_with(prefix)) return nullptr;

    FileNode* node = root_;
    std::string_view rest = std::string_view(target).substr(base.size());
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string_view::npos) end = rest.size();
        std::string_view piece = rest.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;
        // Children are largest first, so of two same-named children the larger is taken.
        auto kids = node->children();
        auto it =
            std::find_if(kids.begin(), kids.end(), [&](const FileNode* c) { return c->name() == piece; });
        if (it == kids.end()) return nullptr;
        node = *it;
    }
    return node;
}

TreeRemoval ScanTree::removeItems(const std::vector<std::string>& paths) {
    TreeRemoval removal;
    std::unique_lock lock(mutex_);
    for (const auto& p : paths) {
        FileNode* node = findNode(p);
        if (!node || node == root_) continue;
        FileNode* parent = node->parent();
        if (!parent) continue;
        auto kids = parent->children();
        if (std::find(kids.begin(), kids.end(), node) == kids.end()) continue;
        for (size_t i = kids.size(); i-- > 0;)
            if (parent->children()[i] == node) parent->removeChildAt(i);
        subtractFromAncestors(node, parent);
        removal.removed.push_back(node);
        removal.formerParents.push_back(parent);
    }
    noteEdited();
    return removal;
}

// ---- Regroupings ---------------------------------------------------------------------------------

namespace {
enum Grouping : int { kByCategory = 0, kByAge = 1 };
}

const FileNode* ScanTree::findGroups(const GroupsKey& key) const {
    std::lock_guard lock(groupsMutex_);
    auto it = groups_.find(key);
    return it == groups_.end() ? nullptr : it->second;
}

template <typename Build>
const FileNode* ScanTree::memoisedGroups(const FileNode* folder, int grouping, Build build) {
    const GroupsKey key(folder, grouping, editCount_.load());
    if (const FileNode* found = findGroups(key)) return found;
    // Built into an arena of its own, adopted only by the first of two racing builds. Small blocks: most
    // regroupings are of small folders, and large child arrays get blocks of their own anyway.
    Arena built(64 << 10);
    const FileNode* result = build(built);
    std::lock_guard lock(groupsMutex_);
    auto [it, inserted] = groups_.emplace(key, result);
    if (inserted) arena_.adopt(std::move(built));
    return it->second;
}

const FileNode* ScanTree::categoryGroups(const FileNode* folder) {
    return memoisedGroups(folder, kByCategory,
                          [&](Arena& arena) { return buildCategoryGroups(arena, folder); });
}

const FileNode* ScanTree::ageGroups(const FileNode* folder, double now) {
    return memoisedGroups(folder, kByAge, [&](Arena& arena) { return buildAgeGroups(arena, folder, now); });
}

const FileNode* ScanTree::findCategoryGroups(const FileNode* folder) const {
    return findGroups({folder, kByCategory, editCount_.load()});
}

const FileNode* ScanTree::findAgeGroups(const FileNode* folder) const {
    return findGroups({folder, kByAge, editCount_.load()});
}

std::string rootDisplayName(std::string_view path) {
    if (path == "/") return platform::rootVolumeName();
    return platform::lastComponent(path);
}
