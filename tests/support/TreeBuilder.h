#pragma once

#include "model/ScanTree.h"
#include "model/TreeRollUp.h"

#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Builds a ScanTree by hand, the way a finished scan leaves it: add folders and files, then finish()
// attaches the child arrays, rolls sizes, counts, per-category bytes and modification times up, and
// sorts every folder's children largest first.
class TreeBuilder {
  public:
    explicit TreeBuilder(const std::string& rootPath, const std::string& rootName = {})
        : tree_(std::make_shared<ScanTree>(rootPath,
                                           rootName.empty() ? rootDisplayName(rootPath) : rootName)) {}

    FileNode* root() const { return tree_->root(); }
    FileNode* folder(FileNode* parent, std::string_view name, double modified = 0) {
        FileNode* node = child(parent, name, true);
        node->modifiedStamp = modified;
        return node;
    }
    // A file; the category comes from its name unless given. Logical size defaults to size on disk.
    FileNode* file(FileNode* parent, std::string_view name, int64_t sizeOnDisk, double modified = 0,
                   std::optional<int64_t> logicalSize = std::nullopt,
                   std::optional<FileCategory> category = std::nullopt) {
        FileNode* node = child(parent, name, false);
        node->sizeOnDisk = sizeOnDisk;
        node->logicalSize = logicalSize.value_or(sizeOnDisk);
        node->modifiedStamp = modified;
        node->category = category.value_or(file_category::forFileName(name));
        return node;
    }
    // Folders on the way are created (or reused) by name: fileAt("a/b/c.mp4", ...).
    FileNode* fileAt(std::string_view relativePath, int64_t sizeOnDisk, double modified = 0) {
        size_t slash = relativePath.rfind('/');
        if (slash == std::string_view::npos) return file(root(), relativePath, sizeOnDisk, modified);
        return file(folderAt(relativePath.substr(0, slash)), relativePath.substr(slash + 1), sizeOnDisk,
                    modified);
    }
    FileNode* folderAt(std::string_view relativePath) {
        FileNode* node = root();
        while (!relativePath.empty()) {
            size_t slash = relativePath.find('/');
            std::string_view part = relativePath.substr(0, slash);
            relativePath =
                slash == std::string_view::npos ? std::string_view() : relativePath.substr(slash + 1);
            if (part.empty()) continue;
            FileNode* found = nullptr;
            for (FileNode* c : children_[node])
                if (c->isDirectory() && c->name() == part) found = c;
            node = found ? found : folder(node, part);
        }
        return node;
    }

    std::shared_ptr<ScanTree> finish() {
        attach();
        rollUpSubtree(root());
        return tree_;
    }
    // Only the child arrays and empty totals blocks, as a walk leaves the tree before its roll-up.
    std::shared_ptr<ScanTree> attach() {
        Arena& arena = tree_->arena();
        for (auto& [folder, kids] : children_) {
            FileNode** array = arena.allocateArray<FileNode*>(kids.empty() ? 1 : kids.size());
            std::copy(kids.begin(), kids.end(), array);
            folder->setChildren(array, static_cast<uint32_t>(kids.size()));
        }
        root()->forEachNode([&](FileNode* node) {
            if (node->isDirectory() && !node->totals())
                node->setTotals(new (arena.allocateArray<FolderTotals>(1)) FolderTotals{}, false);
        });
        return tree_;
    }

  protected:
    std::shared_ptr<ScanTree> tree_;

  private:
    FileNode* child(FileNode* parent, std::string_view name, bool isDirectory) {
        FileNode* node = FileNode::make(tree_->arena(), name, isDirectory);
        node->setParent(parent);
        children_[parent].push_back(node);
        return node;
    }

    std::map<FileNode*, std::vector<FileNode*>> children_;
};
