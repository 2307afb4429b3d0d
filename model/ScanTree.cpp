#include "model/ScanTree.h"

#include "platform/Paths.h"
#include "platform/Volumes.h"

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
