#pragma once

#include "tests/support/TreeBuilder.h"

// TreeBuilder with the tree in reach from the start and files whose category is given (default "other").
class TestTree : public TreeBuilder {
  public:
    explicit TestTree(const std::string& rootPath = "/scan", const std::string& rootName = "scan")
        : TreeBuilder(rootPath, rootName), tree(tree_) {}

    std::shared_ptr<ScanTree> tree;

    FileNode* file(FileNode* parent, std::string_view name, int64_t size,
                   FileCategory category = FileCategory::other, double modified = 0) {
        return TreeBuilder::file(parent, name, size, modified, std::nullopt, category);
    }
    void finish() { TreeBuilder::finish(); } // rolls up as a scan does
};
