#include "model/TreeRollUp.h"

#include "model/Parallel.h"
#include "model/Saturating.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Calls body(i) for every i below count, spread over up to `threads` threads (the caller included).
template <typename Body> void parallelFor(size_t count, int threads, Body body) {
    std::atomic<size_t> next = 0;
    auto run = [&] {
        // No exception may leave a thread; a failed branch keeps the sums it had.
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            try {
                body(i);
            } catch (...) {
            }
        }
    };
    runOnThreads(std::min<size_t>(threads > 1 ? static_cast<size_t>(threads) : 1, count), run);
}

// A folder that carries its per-category sizes is rolled up, and so is everything below it.
bool isRolledUp(const FileNode* folder) {
    return folder->typeSizes() != nullptr;
}

// The subfolders still to roll up.
void appendFolderChildren(const FileNode* folder, std::vector<FileNode*>& out) {
    for (FileNode* child : folder->children())
        if (child->isDirectory() && !isRolledUp(child)) out.push_back(child);
}

} // namespace

void rollUpFolder(FileNode* folder) {
    FolderTotals* totals = folder->totals();
    if (!folder->isDirectory() || !totals) return;
    std::array<int64_t, kFileCategoryCount> slots{};
    int64_t logical = 0, onDisk = 0, files = 0, folders = 0;
    double newest = 0;
    for (const FileNode* child : folder->children()) {
        if (child->isDirectory()) {
            files += child->fileCount();
            folders += child->folderCount() + 1;
            if (const auto* sizes = child->typeSizes())
                for (int i = 0; i < kFileCategoryCount; ++i)
                    slots[i] = saturating::add(slots[i], (*sizes)[i]);
        } else {
            files += 1;
            int64_t& slot = slots[file_category::rawValue(child->category)];
            slot = saturating::add(slot, child->sizeOnDisk);
        }
        logical = saturating::add(logical, child->logicalSize);
        onDisk = saturating::add(onDisk, child->sizeOnDisk);
        newest = std::max(newest, child->modifiedStamp);
    }
    totals->typeSizes = slots;
    totals->fileCount = files;
    totals->folderCount = folders;
    folder->setTotals(totals, true);
    folder->logicalSize = logical;
    folder->sizeOnDisk = onDisk;
    if (newest > 0) folder->modifiedStamp = newest;
    FileNode::sortBySizeOnDisk(folder->mutableChildren());
}

void rollUpSubtree(FileNode* folder) {
    if (!folder->isDirectory() || isRolledUp(folder)) return;
    // Pre-order list of folders, handled backwards: every folder comes after all folders below it.
    std::vector<FileNode*> folders{folder};
    for (size_t i = 0; i < folders.size(); ++i)
        appendFolderChildren(folders[i], folders);
    for (size_t i = folders.size(); i-- > 0;)
        rollUpFolder(folders[i]);
}

void rollUpTree(FileNode* root, int threads) {
    if (!root->isDirectory()) return;
    // First the subtrees two levels down, and with them the folders one level down that hold no folder:
    // those need nothing from below, and a wide one (a flat folder of many files) would otherwise run
    // alone at the end. The widest go first so they overlap the rest.
    std::vector<FileNode*> leaves, branches, subtrees;
    for (FileNode* child : root->children()) {
        if (!child->isDirectory() || isRolledUp(child)) continue;
        const size_t before = subtrees.size();
        appendFolderChildren(child, subtrees);
        (subtrees.size() == before ? leaves : branches).push_back(child);
    }
    std::stable_sort(leaves.begin(), leaves.end(), [](const FileNode* a, const FileNode* b) {
        return a->children().size() > b->children().size();
    });
    parallelFor(leaves.size() + subtrees.size(), threads, [&](size_t i) {
        if (i < leaves.size())
            rollUpFolder(leaves[i]);
        else
            rollUpSubtree(subtrees[i - leaves.size()]);
    });
    parallelFor(branches.size(), threads, [&](size_t i) { rollUpFolder(branches[i]); });
    rollUpFolder(root);
}
