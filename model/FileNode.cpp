#include "model/FileNode.h"

#include "model/Saturating.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <new>

FileNode::FileNode(std::string_view name, uint8_t flags)
    : nameLength_(static_cast<uint16_t>(name.size())), flags_(flags) {}

SecondsStamp& SecondsStamp::operator=(double seconds) {
    // Rounded to the nearest second; a known time never rounds to "unknown".
    constexpr double kMax = std::numeric_limits<uint32_t>::max();
    if (!(seconds > 0))
        seconds_ = 0;
    else
        seconds_ = static_cast<uint32_t>(std::clamp(std::round(seconds), 1.0, kMax));
    return *this;
}

void* FileNode::allocate(Arena& arena, size_t tailBytes, bool isDirectory) {
    if (!isDirectory) return arena.allocate(sizeof(FileNode) + tailBytes, alignof(FileNode));
    auto* memory =
        static_cast<char*>(arena.allocate(kLinksBytes + sizeof(FileNode) + tailBytes, alignof(FileNode)));
    new (memory) FolderLinks{};
    return memory + kLinksBytes;
}

void FileNode::setChildren(FileNode** array, uint32_t count) {
    if (!isDirectory()) return;
    links().children = array;
    links().childCount = count;
}

void FileNode::setTotals(FolderTotals* totals, bool withTypeSizes) {
    if (!isDirectory()) return;
    links().totals = totals;
    flags_ = withTypeSizes ? (flags_ | kHasTypeSizes) : (flags_ & ~kHasTypeSizes);
}

FileNode* FileNode::make(Arena& arena, std::string_view name, bool isDirectory) {
    // Names longer than 64 KiB do not exist on Linux (NAME_MAX is 255); group titles are short.
    if (name.size() > std::numeric_limits<uint16_t>::max())
        name = name.substr(0, std::numeric_limits<uint16_t>::max());
    void* memory = allocate(arena, name.size(), isDirectory);
    auto* node = new (memory) FileNode(name, isDirectory ? kDirectory : 0);
    std::memcpy(reinterpret_cast<char*>(node + 1), name.data(), name.size());
    return node;
}

FileNode* FileNode::makeRoot(Arena& arena, std::string_view displayName, std::string_view rootPath) {
    // The root path rides behind the name, NUL-separated; paths never contain NUL.
    size_t extra = displayName.size() + 1 + rootPath.size() + 1;
    void* memory = allocate(arena, extra, true);
    auto* node = new (memory) FileNode(displayName, kDirectory | kRoot);
    char* bytes = reinterpret_cast<char*>(node + 1);
    std::memcpy(bytes, displayName.data(), displayName.size());
    bytes[displayName.size()] = '\0';
    std::memcpy(bytes + displayName.size() + 1, rootPath.data(), rootPath.size());
    bytes[displayName.size() + 1 + rootPath.size()] = '\0';
    return node;
}

std::string_view FileNode::rootPath() const {
    if (!isRoot()) return {};
    return std::string_view(reinterpret_cast<const char*>(this + 1) + nameLength_ + 1);
}

void FileNode::removeChildAt(size_t i) {
    if (!isDirectory()) return;
    FolderLinks& l = links();
    if (i >= l.childCount) return;
    l.children[i]->parent_ = nullptr;
    std::memmove(l.children + i, l.children + i + 1, (l.childCount - i - 1) * sizeof(FileNode*));
    --l.childCount;
}

std::string FileNode::path() const {
    std::string result;
    appendPath(result);
    return result;
}

void FileNode::appendPath(std::string& out) const {
    if (isRoot()) {
        out += rootPath();
        return;
    }
    // Measured first, then filled from the end: one allocation at most.
    const FileNode* root = nullptr;
    size_t names = 0, count = 0;
    for (const FileNode* node = this; node; node = node->parent_) {
        if (node->isRoot()) {
            root = node;
            break;
        }
        names += node->nameLength_;
        ++count;
    }
    const std::string_view base = root ? root->rootPath() : std::string_view();
    const size_t slashes = root && base != "/" ? count : count - 1;
    const size_t start = out.size();
    out.resize(start + base.size() + slashes + names);
    char* const first = out.data() + start + base.size();
    char* end = out.data() + out.size();
    for (const FileNode* node = this; node != root; node = node->parent_) {
        end -= node->nameLength_;
        std::memcpy(end, node->name().data(), node->nameLength_);
        if (end > first) *--end = '/';
    }
    if (!base.empty()) std::memcpy(out.data() + start, base.data(), base.size());
}

bool FileNode::hasRealLocation() const {
    for (const FileNode* node = this; node; node = node->parent_)
        if (node->isRoot()) return true;
    return false;
}

FileCategory FileNode::dominantCategory() const {
    if (!isDirectory()) return category;
    const auto* sizes = typeSizes();
    if (!sizes) return FileCategory::other;
    int best = -1;
    int64_t bestBytes = 0;
    for (int i = 0; i < kFileCategoryCount; ++i) {
        if ((*sizes)[i] > bestBytes) {
            best = i;
            bestBytes = (*sizes)[i];
        }
    }
    return best < 0 ? FileCategory::other : static_cast<FileCategory>(best);
}

std::vector<FileCategory> FileNode::topCategories(int n) const {
    const auto* sizes = typeSizes();
    if (!sizes) {
        if (isDirectory()) return {};
        return n > 0 ? std::vector<FileCategory>{category} : std::vector<FileCategory>{};
    }
    std::vector<std::pair<int, int64_t>> pairs;
    for (int i = 0; i < kFileCategoryCount; ++i)
        if ((*sizes)[i] > 0) pairs.emplace_back(i, (*sizes)[i]);
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<FileCategory> result;
    for (size_t i = 0; i < pairs.size() && static_cast<int>(i) < n; ++i)
        result.push_back(static_cast<FileCategory>(pairs[i].first));
    return result;
}

namespace {

// A node with its size read once, in a form whose ascending order is largest size first.
struct SizeKey {
    uint64_t order;
    FileNode* node;
};

uint64_t largestFirst(int64_t sizeOnDisk) {
    // Signed to unsigned keeping the order, then inverted.
    return ~(uint64_t(sizeOnDisk) ^ (uint64_t(1) << 63));
}

// Stable sort by order. Large lists (a regrouping holds every file of a folder's subtree) are
// radix-sorted a byte at a time from the lowest, with every byte's counts taken in one pass; bytes
// equal in all keys need no pass.
void sortKeys(std::vector<SizeKey>& keys) {
    if (keys.size() <= 4096) {
        std::stable_sort(keys.begin(), keys.end(),
                         [](const SizeKey& a, const SizeKey& b) { return a.order < b.order; });
        return;
    }
    std::array<std::array<size_t, 256>, 8> counts{};
    for (const SizeKey& k : keys)
        for (int b = 0; b < 8; ++b)
            ++counts[b][k.order >> (8 * b) & 0xff];
    std::vector<SizeKey> spare(keys.size());
    for (int b = 0; b < 8; ++b) {
        const int shift = 8 * b;
        if (counts[b][keys[0].order >> shift & 0xff] == keys.size()) continue;
        std::array<size_t, 256> start;
        size_t sum = 0;
        for (size_t v = 0; v < 256; ++v) {
            start[v] = sum;
            sum += counts[b][v];
        }
        for (const SizeKey& k : keys)
            spare[start[k.order >> shift & 0xff]++] = k;
        keys.swap(spare);
    }
}

} // namespace

std::span<FileNode* const> FileNode::childrenInDeclaredOrder(std::vector<FileNode*>& scratch) const {
    // Age groups carry no bytes by type and are kept in section order already.
    if (!isVirtual() || children().empty() || !children().front()->hasTypeSizes()) return children();
    scratch.assign(children().begin(), children().end());
    std::ranges::stable_sort(scratch, {}, [](const FileNode* group) {
        return file_category::rawValue(group->dominantCategory());
    });
    return scratch;
}

std::span<FileNode* const> FileNode::childrenLargestFirst(std::vector<FileNode*>& scratch) const {
    if (!isVirtual()) return children();
    scratch.assign(children().begin(), children().end());
    sortBySizeOnDisk(scratch);
    return scratch;
}

void FileNode::sortBySizeOnDisk(std::span<FileNode*> nodes) {
    auto larger = [](const FileNode* a, const FileNode* b) { return a->sizeOnDisk > b->sizeOnDisk; };
    if (nodes.size() <= 32) {
        // Insertion sort: each node moves left past strictly smaller ones only.
        for (size_t i = 1; i < nodes.size(); ++i) {
            FileNode* node = nodes[i];
            size_t j = i;
            while (j > 0 && larger(node, nodes[j - 1])) {
                nodes[j] = nodes[j - 1];
                --j;
            }
            nodes[j] = node;
        }
        return;
    }
    if (nodes.size() <= 4096) {
        std::stable_sort(nodes.begin(), nodes.end(), larger);
        return;
    }
    // Radix-sorted a byte at a time from the lowest, through the pointers: a scan sorts every large
    // folder once, right when the whole tree is in memory, so the only extra memory is one spare list.
    std::array<std::array<size_t, 256>, 8> counts{};
    for (const FileNode* node : nodes) {
        const uint64_t order = largestFirst(node->sizeOnDisk);
        for (int b = 0; b < 8; ++b)
            ++counts[b][order >> (8 * b) & 0xff];
    }
    std::vector<FileNode*> spare(nodes.size());
    FileNode** from = nodes.data();
    FileNode** to = spare.data();
    for (int b = 0; b < 8; ++b) {
        const int shift = 8 * b;
        if (counts[b][largestFirst(from[0]->sizeOnDisk) >> shift & 0xff] == nodes.size()) continue;
        std::array<size_t, 256> start;
        size_t sum = 0;
        for (size_t v = 0; v < 256; ++v) {
            start[v] = sum;
            sum += counts[b][v];
        }
        for (size_t i = 0; i < nodes.size(); ++i)
            to[start[largestFirst(from[i]->sizeOnDisk) >> shift & 0xff]++] = from[i];
        std::swap(from, to);
    }
    if (from != nodes.data()) std::copy(from, from + nodes.size(), nodes.data());
}

std::vector<FileNode*> FileNode::allFiles() const {
    std::vector<FileNode*> files;
    forEachNode([&](FileNode* node) {
        if (!node->isDirectory()) files.push_back(node);
    });
    return files;
}

const std::array<AgeSection, 6> kAgeSections = {{
    {"Last 7 days", 7, 1},
    {"Last 30 days", 30, 14},
    {"Last 3 months", 91, 60},
    {"Last year", 365, 200},
    {"Last 2 years", 730, 550},
    {"Older", std::numeric_limits<double>::infinity(), 1000},
}};

int ageSectionIndex(double modifiedStamp, double now) {
    if (modifiedStamp == 0) return 5;
    const double days = (now - modifiedStamp) / 86400.0;
    if (std::isnan(days)) return 5;
    // Counted without branches: ages in a large folder are in no order a branch could learn.
    int index = 0;
    for (int i = 0; i < 5; ++i)
        index += days >= kAgeSections[i].upperDays;
    return index;
}

namespace {

// The files of one group, gathered in a single walk: each file node is read once.
struct GroupFiles {
    std::vector<SizeKey> files;
    int64_t sizeOnDisk = 0;
    int64_t logicalSize = 0;
};

template <size_t N, typename GroupOf>
std::array<GroupFiles, N> gatherFiles(const FileNode* folder, GroupOf groupOf) {
    std::array<GroupFiles, N> groups;
    // The pre-order walk of forEachNode, asking for a folder's first children as soon as it is
    // opened: the walk waits on memory, not on work.
    constexpr size_t kAhead = 8;
    std::vector<const FileNode*> stack{folder};
    while (!stack.empty()) {
        const FileNode* node = stack.back();
        stack.pop_back();
        if (node->isDirectory()) {
            auto kids = node->children();
            for (size_t i = kids.size(); i-- > 0;)
                stack.push_back(kids[i]);
            for (size_t i = 0; i < kids.size() && i < kAhead; ++i)
                __builtin_prefetch(kids[i]);
            continue;
        }
        GroupFiles& g = groups[groupOf(*node)];
        g.files.push_back({largestFirst(node->sizeOnDisk), const_cast<FileNode*>(node)});
        g.sizeOnDisk = saturating::add(g.sizeOnDisk, node->sizeOnDisk);
        g.logicalSize = saturating::add(g.logicalSize, node->logicalSize);
    }
    return groups;
}

FileNode* makeGroup(Arena& arena, std::string_view title, GroupFiles& files) {
    FileNode* group = FileNode::make(arena, title, true);
    group->markVirtual();
    sortKeys(files.files);
    FileNode** array = arena.allocateArray<FileNode*>(files.files.size());
    for (size_t i = 0; i < files.files.size(); ++i)
        array[i] = files.files[i].node;
    group->setChildren(array, static_cast<uint32_t>(files.files.size()));
    group->sizeOnDisk = files.sizeOnDisk;
    group->logicalSize = files.logicalSize;
    auto* totals = new (arena.allocateArray<FolderTotals>(1)) FolderTotals{};
    totals->fileCount = static_cast<int64_t>(files.files.size());
    group->setTotals(totals, false);
    return group;
}

} // namespace

FileNode* makeVirtualFolder(Arena& arena, const FileNode* folder, std::span<FileNode* const> groups) {
    if (groups.empty()) return const_cast<FileNode*>(folder);
    FileNode* virt = FileNode::make(arena, folder->name(), true);
    virt->markVirtual();
    FileNode** array = arena.allocateArray<FileNode*>(groups.size());
    std::copy(groups.begin(), groups.end(), array);
    virt->setChildren(array, static_cast<uint32_t>(groups.size()));
    virt->sizeOnDisk = folder->sizeOnDisk;
    virt->logicalSize = folder->logicalSize;
    auto* totals = new (arena.allocateArray<FolderTotals>(1)) FolderTotals{};
    totals->fileCount = folder->fileCount();
    totals->folderCount = static_cast<int64_t>(groups.size());
    virt->setTotals(totals, false);
    return virt;
}

const FileNode* buildCategoryGroups(Arena& arena, const FileNode* folder) {
    auto byCategory = gatherFiles<kFileCategoryCount>(
        folder, [](const FileNode& f) { return file_category::rawValue(f.category); });
    std::vector<FileNode*> groups;
    for (FileCategory c : file_category::allCases) {
        auto& files = byCategory[file_category::rawValue(c)];
        if (files.files.empty()) continue;
        FileNode* group = makeGroup(arena, file_category::title(c), files);
        group->totals()->typeSizes[file_category::rawValue(c)] = group->sizeOnDisk;
        group->setTotals(group->totals(), true);
        groups.push_back(group);
    }
    FileNode::sortBySizeOnDisk(groups);
    return makeVirtualFolder(arena, folder, groups);
}

const FileNode* buildAgeGroups(Arena& arena, const FileNode* folder, double now) {
    auto bySection = gatherFiles<kAgeSections.size()>(
        folder, [now](const FileNode& f) { return ageSectionIndex(f.modifiedStamp, now); });
    std::vector<FileNode*> groups;
    for (size_t i = 0; i < kAgeSections.size(); ++i) {
        if (bySection[i].files.empty()) continue;
        FileNode* group = makeGroup(arena, kAgeSections[i].title, bySection[i]);
        group->modifiedStamp = now - kAgeSections[i].representativeDays * 86400.0;
        groups.push_back(group);
    }
    return makeVirtualFolder(arena, folder, groups);
}
