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

// A time kept in whole seconds since 1970 UTC in four bytes (1970 to 2106; 0 = unknown), read and written as
// the double seconds the rest of the program uses. For times that are only ever shown as dates.
class SecondsStamp {
  public:
    SecondsStamp() = default;
    SecondsStamp(double seconds) { *this = seconds; }
    SecondsStamp& operator=(double seconds);
    operator double() const { return static_cast<double>(seconds_); }

  private:
    uint32_t seconds_ = 0;
};

// One file or folder of a scanned tree. Nodes live in their ScanTree's arenas and are never freed
// one by one (see ScanTree), so a FileNode* stays valid as long as its tree is alive.
// The name's raw bytes follow the node in memory; they are not necessarily valid UTF-8. A folder's
// links to its children and totals sit right in front of it, so a file carries none of them.
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

    // A file has none; only folders take children.
    std::span<FileNode* const> children() const {
        if (!isDirectory()) return {};
        const FolderLinks& l = links();
        return {l.children, l.childCount};
    }
    std::span<FileNode*> mutableChildren() {
        if (!isDirectory()) return {};
        FolderLinks& l = links();
        return {l.children, l.childCount};
    }
    void setChildren(FileNode** array, uint32_t count);
    // Removes the child at index i, keeping the others' order. The child's parent link is cut, so its
    // path no longer resolves to a place.
    void removeChildAt(size_t i);

    // Folder totals; files answer 0 and no type sizes.
    bool hasTypeSizes() const { return (flags_ & kHasTypeSizes) && totalsOrNull(); }
    const std::array<int64_t, kFileCategoryCount>* typeSizes() const {
        return hasTypeSizes() ? &totalsOrNull()->typeSizes : nullptr;
    }
    int64_t fileCount() const {
        const FolderTotals* t = totalsOrNull();
        return t ? t->fileCount : 0;
    }
    int64_t folderCount() const {
        const FolderTotals* t = totalsOrNull();
        return t ? t->folderCount : 0;
    }
    FolderTotals* totals() { return totalsOrNull(); }
    // Folders only; a file keeps no totals.
    void setTotals(FolderTotals* totals, bool withTypeSizes);
    void markVirtual() { flags_ |= kVirtual; }

    // Full path built from the parent chain: raw bytes, absolute when the chain reaches the root.
    std::string path() const;
    // The same, appended to `out` (a walk reuses one string for every folder).
    void appendPath(std::string& out) const;
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

    // What only a folder has, stored in front of its node.
    struct FolderLinks {
        FileNode** children = nullptr;
        FolderTotals* totals = nullptr;
        uint32_t childCount = 0;
    };
    static constexpr size_t kLinksBytes = (sizeof(FolderLinks) + 7) / 8 * 8;
    static void* allocate(Arena& arena, size_t tailBytes, bool isDirectory);
    FolderLinks& links() {
        return *reinterpret_cast<FolderLinks*>(reinterpret_cast<char*>(this) - kLinksBytes);
    }
    const FolderLinks& links() const {
        return *reinterpret_cast<const FolderLinks*>(reinterpret_cast<const char*>(this) - kLinksBytes);
    }
    FolderTotals* totalsOrNull() const { return isDirectory() ? links().totals : nullptr; }

    FileNode* parent_ = nullptr;

  public:
    int64_t logicalSize = 0;
    int64_t sizeOnDisk = 0;
    double modifiedStamp = 0;  // seconds since 1970 UTC; 0 = unknown
    SecondsStamp createdStamp; // the same, to the second

  private:
    uint16_t nameLength_ = 0;
    uint8_t flags_ = 0;

  public:
    FileCategory category = FileCategory::other; // files only; folders stay `other`
};

static_assert(sizeof(FileNode) == 40, "FileNode must stay small: millions of them live at once");

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
