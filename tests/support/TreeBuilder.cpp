#include "tests/support/TreeBuilder.h"

#include "model/TreeRollUp.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <new>

TreeBuilder::TreeBuilder(const std::string& rootPath, const std::string& rootName)
    : tree_(std::make_shared<ScanTree>(rootPath, rootName.empty() ? rootDisplayName(rootPath) : rootName)) {}

FileNode* TreeBuilder::child(FileNode* parent, std::string_view name, bool isDirectory) {
    FileNode* node = FileNode::make(tree_->arena(), name, isDirectory);
    node->setParent(parent);
    children_[parent].push_back(node);
    return node;
}

FileNode* TreeBuilder::folder(FileNode* parent, std::string_view name, double modified) {
    FileNode* node = child(parent, name, true);
    node->modifiedStamp = modified;
    return node;
}

FileNode* TreeBuilder::file(FileNode* parent, std::string_view name, int64_t sizeOnDisk, double modified,
                            std::optional<int64_t> logicalSize, std::optional<FileCategory> category) {
    FileNode* node = child(parent, name, false);
    node->sizeOnDisk = sizeOnDisk;
    node->logicalSize = logicalSize.value_or(sizeOnDisk);
    node->modifiedStamp = modified;
    node->category = category.value_or(file_category::forFileName(name));
    return node;
}

FileNode* TreeBuilder::folderAt(std::string_view relativePath) {
    FileNode* node = root();
    while (!relativePath.empty()) {
        size_t slash = relativePath.find('/');
        std::string_view part = relativePath.substr(0, slash);
        relativePath = slash == std::string_view::npos ? std::string_view() : relativePath.substr(slash + 1);
        if (part.empty()) continue;
        FileNode* found = nullptr;
        for (FileNode* c : children_[node])
            if (c->isDirectory() && c->name() == part) found = c;
        node = found ? found : folder(node, part);
    }
    return node;
}

FileNode* TreeBuilder::fileAt(std::string_view relativePath, int64_t sizeOnDisk, double modified) {
    size_t slash = relativePath.rfind('/');
    FileNode* parent = slash == std::string_view::npos ? root() : folderAt(relativePath.substr(0, slash));
    return file(parent, slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1), sizeOnDisk,
                modified);
}

std::shared_ptr<ScanTree> TreeBuilder::finish() {
    attach();
    rollUpSubtree(root());
    return tree_;
}

std::shared_ptr<ScanTree> TreeBuilder::attach() {
    Arena& arena = tree_->arena();
    for (auto& [folder, kids] : children_) {
        FileNode** array = arena.allocateArray<FileNode*>(kids.empty() ? 1 : kids.size());
        std::copy(kids.begin(), kids.end(), array);
        folder->setChildren(array, static_cast<uint32_t>(kids.size()));
    }
    // Every folder needs its totals block before the scan's own roll-up can fill it.
    root()->forEachNode([&](FileNode* node) {
        if (node->isDirectory() && !node->totals())
            node->setTotals(new (arena.allocateArray<FolderTotals>(1)) FolderTotals{}, false);
    });
    return tree_;
}

std::shared_ptr<ScanTree> TreeBuilder::fromDisk(const std::string& path) {
    TreeBuilder builder(path);
    std::function<void(FileNode*, const std::filesystem::path&)> read = [&](FileNode* parent,
                                                                              const std::filesystem::path& dir) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
            struct stat st{};
            if (lstat(entry.path().c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
            std::string name = entry.path().filename().string();
            double modified = static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9;
            if (S_ISDIR(st.st_mode)) {
                read(builder.folder(parent, name, modified), entry.path());
            } else {
                builder.file(parent, name, static_cast<int64_t>(st.st_blocks) * 512, modified,
                             static_cast<int64_t>(st.st_size));
            }
        }
    };
    read(builder.root(), path);
    return builder.finish();
}
