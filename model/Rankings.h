#pragma once

#include "model/FileNode.h"

#include <cstddef>
#include <vector>

// The biggest files and the biggest folders anywhere below a folder (the folder itself excluded),
// largest sizeOnDisk first, equal sizes in pre-order. The caller keeps the tree alive and holds its
// shared lock while compute() walks it.
struct Rankings {
    std::vector<FileNode*> files;
    std::vector<FileNode*> folders;

    static constexpr size_t kDefaultLimit = 200;
    static Rankings compute(const FileNode* folder, size_t limit = kDefaultLimit);
};
