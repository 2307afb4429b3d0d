#include "model/DuplicateCandidates.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct Seen {
    FileNode* node;
    int64_t size;
    size_t name;     // offset into the names
    uint32_t folder; // number of the folder in walk order
};

// Positions of `seen` ordered by size, equal sizes in walk order: a radix sort, since a comparison
// sort of every file of a large tree costs several times as much.
std::vector<uint32_t> bySize(const std::vector<Seen>& seen) {
    std::vector<uint32_t> order(seen.size()), other(seen.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<uint32_t>(i);
    int64_t largest = 0;
    for (const Seen& s : seen)
        largest = std::max(largest, s.size);
    constexpr int kBits = 11;
    constexpr size_t kBuckets = size_t{1} << kBits;
    for (int shift = 0; shift < 64 && (largest >> shift) != 0; shift += kBits) {
        std::array<size_t, kBuckets + 1> start{};
        auto digit = [&](uint32_t i) {
            return static_cast<size_t>(static_cast<uint64_t>(seen[i].size) >> shift) & (kBuckets - 1);
        };
        for (uint32_t i : order)
            ++start[digit(i) + 1];
        for (size_t b = 1; b <= kBuckets; ++b)
            start[b] += start[b - 1];
        for (uint32_t i : order)
            other[start[digit(i)]++] = i;
        order.swap(other);
    }
    return order;
}

} // namespace

DuplicateCandidates DuplicateCandidates::collect(const FileNode* folder) {
    DuplicateCandidates out;
    // One walk notes every possible candidate, in walk order, with its folder's number and its name;
    // the folders' paths are made from their parents', one step each.
    std::vector<Seen> seen;
    std::vector<std::string> paths;
    std::vector<std::pair<const FileNode*, uint32_t>> stack{{folder, UINT32_MAX}};
    while (!stack.empty()) {
        auto [node, parentNumber] = stack.back();
        stack.pop_back();
        if (!node->isDirectory()) {
            if (node->logicalSize > 0 && node->sizeOnDisk > 0 && node->parent()) {
                seen.push_back(
                    {const_cast<FileNode*>(node), node->logicalSize, out.names.size(), parentNumber});
                std::string_view name = node->name();
                out.names.insert(out.names.end(), name.begin(), name.end());
                out.names.push_back('\0');
            }
            continue;
        }
        const auto number = static_cast<uint32_t>(paths.size());
        if (parentNumber == UINT32_MAX) {
            paths.push_back(node->path());
        } else {
            const std::string& parent = paths[parentNumber];
            std::string_view name = node->name();
            std::string path;
            path.reserve(parent.size() + 1 + name.size());
            path.append(parent);
            if (parent != "/") path += '/';
            path.append(name);
            paths.push_back(std::move(path));
        }
        // The children are scattered over the scan's arenas: fetching them all at once, while the ones
        // before are handled, hides most of the memory latency the walk would otherwise wait on.
        auto kids = node->children();
        for (size_t i = kids.size(); i-- > 0;) {
            __builtin_prefetch(kids[i]);
            stack.push_back({kids[i], number});
        }
    }
    if (seen.size() > UINT32_MAX) seen.resize(UINT32_MAX);

    // Sizes shared by two or more files.
    const std::vector<uint32_t> order = bySize(seen);
    std::vector<bool> shared(seen.size());
    std::vector<size_t> perFolder(paths.size() + 1);
    size_t count = 0;
    for (size_t i = 0; i < order.size();) {
        size_t end = i + 1;
        while (end < order.size() && seen[order[end]].size == seen[order[i]].size)
            ++end;
        for (size_t k = i; end - i >= 2 && k < end; ++k) {
            shared[order[k]] = true;
            ++perFolder[seen[order[k]].folder + 1];
            ++count;
        }
        i = end;
    }

    // Placed folder by folder (a counting sort, stable: walk order within a folder).
    for (size_t f = 1; f < perFolder.size(); ++f)
        perFolder[f] += perFolder[f - 1];
    out.files.resize(count);
    std::vector<uint32_t> folderIndex(paths.size(), UINT32_MAX);
    for (size_t i = 0; i < seen.size(); ++i) {
        if (!shared[i]) continue;
        const Seen& s = seen[i];
        uint32_t& index = folderIndex[s.folder];
        if (index == UINT32_MAX) {
            index = static_cast<uint32_t>(out.folders.size());
            out.folders.push_back(std::move(paths[s.folder]));
        }
        out.files[perFolder[s.folder]++] = {s.node, s.size, i, s.name, index};
    }
    return out;
}
