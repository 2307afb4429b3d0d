#pragma once

#include "model/Arena.h"
#include "model/FileCategory.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Roll-up totals that only folders (and group/virtual nodes) carry, kept out of the node so files stay small.
struct FolderTotals {
    std::array<int64_t, kFileCategoryCount> typeSizes{}; // bytes on disk per category
    int64_t fileCount = 0;
    int64_t folderCount = 0;
};

// One file or folder of a scanned tree. Nodes live in their ScanTree's arenas and are never freed
// one by one (see ScanTree), so a FileNode* stays valid as long as its tree is alive.
// The name's raw bytes follow the node in memory; they are not necessarily valid UTF-8.
class FileNode {
  public:
    // Constructors: a node is created in an arena, with its name stored right behind it.
    static FileNode* make(Arena& arena, std::string_view name, bool isDirectory);
    static FileNode* makeRoot(Arena& arena, std::string_view displayName, std::string_view rootPath);

    FileNode(const FileNode&) = delete;
    FileNode& operator=(const FileNode&) = delete;

    std::string_view name() const { return {reinterpret_cast<const char*>(this + 1), nameLength_}; }
    bool isDirectory() const { return flags_ & kDirectory; }
    bool isRoot() const { return flags_ & kRoot; }
    // A group node of a regrouping, or the virtual folder holding such groups.
    bool isVirtual() const { return flags_ & kVirtual; }
    // The scanned path, on the root only (empty elsewhere).
    std::string_view rootPath() const;

    FileNode* parent() const { return parent_; }
    void setParent(FileNode* parent) { parent_ = parent; }

    std::span<FileNode* const> children() const { return {children_, childCount_}; }
    std::span<FileNode*> mutableChildren() { return {children_, childCount_}; }
    void setChildren(FileNode** array, uint32_t count) {
        children_ = array;
        childCount_ = count;
    }
    // Removes the child at index i, keeping the others' order. The child's parent link is cut, so its
    // path no longer resolves to a place.
    void removeChildAt(size_t i);

    int64_t logicalSize = 0;
    int64_t sizeOnDisk = 0;
    double modifiedStamp = 0; // seconds since 1970 UTC; 0 = unknown
    double createdStamp = 0;

    // Folder totals; files answer 0 and no type sizes.
    bool hasTypeSizes() const { return totals_ && (flags_ & kHasTypeSizes); }
    const std::array<int64_t, kFileCategoryCount>* typeSizes() const {
        return hasTypeSizes() ? &totals_->typeSizes : nullptr;
    }
    int64_t fileCount() const { return totals_ ? totals_->fileCount : 0; }
    int64_t folderCount() const { return totals_ ? totals_->folderCount : 0; }
    FolderTotals* totals() { return totals_; }
    void setTotals(FolderTotals* totals, bool withTypeSizes) {
        totals_ = totals;
        flags_ = withTypeSizes ? (flags_ | kHasTypeSizes) : (flags_ & ~kHasTypeSizes);
    }
    void markVirtual() { flags_ |= kVirtual; }

    // Full path built from the parent chain: raw bytes, absolute when the chain reaches the root.
    std::string path() const;
    // True when the parent chain reaches the scan's root: the node is a real place on disk.
    bool hasRealLocation() const;

    FileCategory dominantCategory() const;
    std::vector<FileCategory> topCategories(int n) const;

    // Largest size on disk first; equal sizes keep their order.
    static void sortBySizeOnDisk(std::span<FileNode*> nodes);
    static void sortBySizeOnDisk(std::vector<FileNode*>& nodes) {
        sortBySizeOnDisk(std::span<FileNode*>(nodes));
    }

    // The children as the layouts walk them: a folder's as stored (largest first); a regrouping's groups
    // in their declared order, "By type" in category order and "By age" newest first. The tree keeps
    // type groups largest first, so those are put into category order in `scratch`. A walk that stops at
    // the first child too small to draw must not stop among groups: a small one may precede large ones.
    std::span<FileNode* const> childrenInDeclaredOrder(std::vector<FileNode*>& scratch) const;
    // The children largest first: a folder's as stored; a regrouping's groups sorted into `scratch`.
    // Only for a layout whose geometry needs size order (the squarified treemap).
    std::span<FileNode* const> childrenLargestFirst(std::vector<FileNode*>& scratch) const;

    // Pre-order walk over the subtree, files and folders alike.
    template <typename Visitor> void forEachNode(Visitor&& visit) const;
    std::vector<FileNode*> allFiles() const;

  private:
    FileNode(std::string_view name, uint8_t flags);

    enum : uint8_t { kDirectory = 1, kRoot = 2, kHasTypeSizes = 4, kVirtual = 8 };

    FileNode* parent_ = nullptr;
    FileNode** children_ = nullptr;
    FolderTotals* totals_ = nullptr;
    uint32_t childCount_ = 0;
    uint16_t nameLength_ = 0;
    uint8_t flags_ = 0;

  public:
    FileCategory category = FileCategory::other; // files only; folders stay `other`
};

static_assert(sizeof(FileNode) == 64, "FileNode must stay small: millions of them live at once");

template <typename Visitor> void FileNode::forEachNode(Visitor&& visit) const {
    // Explicit stack: real trees can be thousands of levels deep.
    std::vector<const FileNode*> stack{this};
    while (!stack.empty()) {
        const FileNode* node = stack.back();
        stack.pop_back();
        visit(const_cast<FileNode*>(node));
        auto kids = node->children();
        for (size_t i = kids.size(); i-- > 0;)
            stack.push_back(kids[i]);
    }
}

// The age sections of the "By age" regrouping.
struct AgeSection {
    std::string_view title;
    double upperDays; // exclusive; infinity for the last
    double representativeDays;
};
extern const std::array<AgeSection, 6> kAgeSections;
// Index into kAgeSections of a modification time seen at `now`.
int ageSectionIndex(double modifiedStamp, double now);

// Regroupings: new group nodes allocated in `arena`; the real tree is never changed.
// Return the folder itself when it holds no files.
const FileNode* buildCategoryGroups(Arena& arena, const FileNode* folder);
const FileNode* buildAgeGroups(Arena& arena, const FileNode* folder, double now);
FileNode* makeVirtualFolder(Arena& arena, const FileNode* folder, std::span<FileNode* const> groups);
