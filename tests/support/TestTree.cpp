#include "tests/support/TestTree.h"

#include <algorithm>
#include <functional>
#include <new>

TestTree::TestTree(std::string_view rootPath, std::string_view rootName)
    : tree(std::make_shared<ScanTree>(rootPath, rootName)) {
    pending_.push_back({tree->root(), {}});
}

TestTree::Pending& TestTree::pendingOf(FileNode* folder) {
    auto it = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) { return p.node == folder; });
    return *it;
}

FileNode* TestTree::folder(FileNode* parent, std::string_view name, double modified) {
    FileNode* node = FileNode::make(tree->arena(), name, true);
    node->setParent(parent);
    node->modifiedStamp = modified;
    auto* totals = new (tree->arena().allocateArray<FolderTotals>(1)) FolderTotals{};
    node->setTotals(totals, true);
    pendingOf(parent).children.push_back(node);
    pending_.push_back({node, {}});
    return node;
}

FileNode* TestTree::file(FileNode* parent, std::string_view name, int64_t size, FileCategory category, double modified) {
    FileNode* node = FileNode::make(tree->arena(), name, false);
    node->setParent(parent);
    node->sizeOnDisk = size;
    node->logicalSize = size;
    node->category = category;
    node->modifiedStamp = modified;
    pendingOf(parent).children.push_back(node);
    return node;
}

void TestTree::finish() {
    root()->setTotals(root()->totals(), true);
    for (Pending& p : pending_) {
        FileNode** array = tree->arena().allocateArray<FileNode*>(p.children.size());
        std::copy(p.children.begin(), p.children.end(), array);
        p.node->setChildren(array, uint32_t(p.children.size()));
    }
    // Roll up, children before parents.
    std::function<void(FileNode*)> rollUp = [&](FileNode* folder) {
        FolderTotals* totals = folder->totals();
        *totals = FolderTotals{};
        folder->sizeOnDisk = 0;
        folder->logicalSize = 0;
        for (FileNode* child : folder->children()) {
            if (child->isDirectory()) {
                rollUp(child);
                for (int i = 0; i < kFileCategoryCount; ++i) totals->typeSizes[size_t(i)] += child->totals()->typeSizes[size_t(i)];
                totals->fileCount += child->fileCount();
                totals->folderCount += child->folderCount() + 1;
            } else {
                totals->typeSizes[size_t(file_category::rawValue(child->category))] += child->sizeOnDisk;
                totals->fileCount += 1;
            }
            folder->sizeOnDisk += child->sizeOnDisk;
            folder->logicalSize += child->logicalSize;
            folder->modifiedStamp = std::max(folder->modifiedStamp, child->modifiedStamp);
        }
        FileNode::sortBySizeOnDisk(folder->mutableChildren());
    };
    rollUp(root());
}
