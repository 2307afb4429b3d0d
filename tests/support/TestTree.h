#pragma once

#include "model/FileNode.h"
#include "model/ScanTree.h"

#include <memory>
#include <string_view>
#include <vector>

// A small tree built by hand for tests of everything that reads trees: add folders and files, then
// finish() gives every folder its children (largest first) and rolls sizes, counts and bytes per
// category up to the root.
class TestTree {
public:
    explicit TestTree(std::string_view rootPath = "/scan", std::string_view rootName = "scan");

    std::shared_ptr<ScanTree> tree;
    FileNode* root() const { return tree->root(); }

    FileNode* folder(FileNode* parent, std::string_view name, double modified = 0);
    FileNode* file(FileNode* parent, std::string_view name, int64_t size, FileCategory category = FileCategory::other,
                   double modified = 0);
    void finish();

private:
    struct Pending {
        FileNode* node;
        std::vector<FileNode*> children;
    };
    Pending& pendingOf(FileNode* folder);
    std::vector<Pending> pending_;
};
