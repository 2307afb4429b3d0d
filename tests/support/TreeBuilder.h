#pragma once

#include "model/ScanTree.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Builds a ScanTree by hand, the way a finished scan leaves it: add folders and files, then finish()
// attaches the child arrays, rolls sizes, counts, per-category bytes and modification times up, and
// sorts every folder's children largest first.
class TreeBuilder {
public:
    explicit TreeBuilder(const std::string& rootPath, const std::string& rootName = {});

    FileNode* root() const { return tree_->root(); }
    FileNode* folder(FileNode* parent, std::string_view name, double modified = 0);
    // A file; the category comes from its name unless given. Logical size defaults to size on disk.
    FileNode* file(FileNode* parent, std::string_view name, int64_t sizeOnDisk, double modified = 0,
                   std::optional<int64_t> logicalSize = std::nullopt,
                   std::optional<FileCategory> category = std::nullopt);
    // Folders on the way are created (or reused) by name: file("a/b/c.mp4", ...).
    FileNode* fileAt(std::string_view relativePath, int64_t sizeOnDisk, double modified = 0);
    FileNode* folderAt(std::string_view relativePath);

    std::shared_ptr<ScanTree> finish();
    // Only the child arrays and the folders' empty totals blocks, as a walk leaves the tree before its
    // roll-up. finish() is attach() plus the roll-up.
    std::shared_ptr<ScanTree> attach();

    // A tree of a real folder, read with lstat and without following links (sizes on disk from
    // st_blocks), finished. For tests that need real files behind the nodes.
    static std::shared_ptr<ScanTree> fromDisk(const std::string& path);

protected:
    std::shared_ptr<ScanTree> tree_;

private:
    FileNode* child(FileNode* parent, std::string_view name, bool isDirectory);

    std::map<FileNode*, std::vector<FileNode*>> children_;
};
