#include "model/DuplicateCandidates.h"

#include "model/FreeStorage.h"
#include "model/Parallel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <iterator>
#include <utility>

namespace {

struct Seen {
    FileNode* node;
    int64_t size;
    uintptr_t name;  // offset into the names of its part while walking; the name's address once joined
    uint32_t folder; // number of the folder within its part
};

// What a walk of one part of the subtree notes, in walk order: every possible candidate with its folder's
// number and its name, the folders' paths, and the subtrees left to other walks.
struct Part {
    std::vector<Seen> seen;
    std::vector<std::string> paths; // by folder number
    std::vector<char> names;
    struct Deferred {
        const FileNode* folder;
        uint32_t parent; // folder number of its parent
        size_t at;       // its files come before seen[at]
    };
    std::vector<Deferred> deferred;
};

std::string childPath(const std::string& parent, std::string_view name) {
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    path.append(parent);
    if (parent != "/") path += '/';
    path.append(name);
    return path;
}

// Walks the subtree of `top` (its path given) in pre-order, leaving out the Trash folders below it and
// the folders for which defer(folder) is true.
template <typename Defer>
void walk(const FileNode* top, std::string topPath, const platform::TrashFolders& trash, Part& part,
          Defer defer) {
    std::vector<std::pair<const FileNode*, uint32_t>> stack{{top, UINT32_MAX}};
    while (!stack.empty()) {
        auto [node, parentNumber] = stack.back();
        stack.pop_back();
        if (!node->isDirectory()) {
            if (node->logicalSize > 0 && node->sizeOnDisk > 0 && node->parent()) {
                part.seen.push_back(
                    {const_cast<FileNode*>(node), node->logicalSize, part.names.size(), parentNumber});
                std::string_view name = node->name();
                part.names.insert(part.names.end(), name.begin(), name.end());
                part.names.push_back('\0');
            }
            continue;
        }
        // Only a folder with a Trash folder's name costs its path here.
        if (node != top && trash.hasTrashFolderName(node->name()) &&
            trash.isTrashFolder(childPath(part.paths[parentNumber], node->name())))
            continue;
        if (node != top && defer(node)) {
            part.deferred.push_back({node, parentNumber, part.seen.size()});
            continue;
        }
        const auto number = static_cast<uint32_t>(part.paths.size());
        part.paths.push_back(node == top ? std::move(topPath)
                                         : childPath(part.paths[parentNumber], node->name()));
        auto kids = node->children();
        for (size_t i = kids.size(); i-- > 0;)
            stack.push_back({kids[i], number});
    }
}

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

DuplicateCandidates DuplicateCandidates::collect(const FileNode* folder, int threads,
                                                 const platform::TrashFolders& trash) {
    // The walk waits on memory, the nodes being scattered over the scan's arenas, so its parts run on
    // all threads: the top of the tree is walked first, down to subtrees small enough to share out (by
    // their rolled-up counts; a tree not rolled up shares out the folders below the top).
    const int64_t total = folder->fileCount() + folder->folderCount();
    const int64_t shareBelow = std::max<int64_t>(2048, total / (8 * std::max(1, threads)));
    Part top;
    std::string topPath = folder->path();
    if (trash.isInTrash(topPath)) return {};
    walk(folder, std::move(topPath), trash, top,
         [&](const FileNode* f) { return f->fileCount() + f->folderCount() <= shareBelow; });
    std::vector<Part> parts(top.deferred.size());
    std::atomic<size_t> next = 0;
    runOnThreads(
        static_cast<size_t>(std::clamp<int>(threads, 1, std::max<int>(1, static_cast<int>(parts.size())))),
        [&] {
            for (size_t p; (p = next.fetch_add(1, std::memory_order_relaxed)) < parts.size();) {
                const Part::Deferred& d = top.deferred[p];
                walk(d.folder, childPath(top.paths[d.parent], d.folder->name()), trash, parts[p],
                     [](const FileNode*) { return false; });
            }
        });

    // The parts joined in walk order: each shared-out subtree's files where the top's walk left it; folder
    // numbers made unique across the parts, names left where they are.
    DuplicateCandidates out;
    std::vector<Seen> seen;
    std::vector<std::string> paths = std::move(top.paths);
    auto append = [&](const Part& part, size_t first, size_t end, uint32_t folderBase) {
        for (size_t i = first; i < end; ++i) {
            Seen s = part.seen[i];
            s.folder += folderBase;
            s.name = reinterpret_cast<uintptr_t>(part.names.data() + s.name);
            seen.push_back(s);
        }
    };
    size_t all = top.seen.size(), folders = paths.size();
    for (const Part& part : parts) {
        all += part.seen.size();
        folders += part.paths.size();
    }
    seen.reserve(all);
    paths.reserve(folders);
    size_t copied = 0;
    for (size_t p = 0; p < parts.size(); ++p) {
        append(top, copied, top.deferred[p].at, 0);
        copied = top.deferred[p].at;
        append(parts[p], 0, parts[p].seen.size(), static_cast<uint32_t>(paths.size()));
        std::move(parts[p].paths.begin(), parts[p].paths.end(), std::back_inserter(paths));
        freeStorage(parts[p].seen);
        freeStorage(parts[p].paths);
    }
    append(top, copied, top.seen.size(), 0);
    out.nameStore.push_back(std::move(top.names));
    for (Part& part : parts)
        out.nameStore.push_back(std::move(part.names));
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
        out.files[perFolder[s.folder]++] = {s.node, s.size, reinterpret_cast<const char*>(s.name),
                                            static_cast<uint32_t>(i), index};
    }
    return out;
}
