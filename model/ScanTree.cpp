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

size_t ScanTree::bytesReserved() const { return arena_.bytesReserved(); }

const FileNode* ScanTree::categoryGroups(const FileNode* folder) {
    std::lock_guard lock(groupsMutex_);
    auto key = std::make_tuple(folder, 0, editCount_.load());
    auto it = groups_.find(key);
    if (it != groups_.end()) return it->second;
    const FileNode* result = buildCategoryGroups(arena_, folder);
    groups_.emplace(key, result);
    return result;
}

const FileNode* ScanTree::ageGroups(const FileNode* folder, double now) {
    std::lock_guard lock(groupsMutex_);
    auto key = std::make_tuple(folder, 1, editCount_.load());
    auto it = groups_.find(key);
    if (it != groups_.end()) return it->second;
    const FileNode* result = buildAgeGroups(arena_, folder, now);
    groups_.emplace(key, result);
    return result;
}

std::string rootDisplayName(std::string_view path) {
    if (path == "/") return platform::rootVolumeName();
    return platform::lastComponent(path);
}
