#pragma once

#include "model/FileCategory.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "platform/TrashFolders.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Ready-made cleanup candidates found in a scanned tree. Reads only the tree (no file is opened).
namespace QuickWins {

enum class Kind : uint8_t {
    downloads,
    caches,
    simulators,
    largeMedia,
    nodeModules,
    buildArtifacts,
    derivedData
};
constexpr int kKindCount = 7;
constexpr std::array<Kind, kKindCount> allKinds = {Kind::downloads,  Kind::caches,      Kind::simulators,
                                                   Kind::largeMedia, Kind::nodeModules, Kind::buildArtifacts,
                                                   Kind::derivedData};

// "downloads", "caches", ... (also the category's identity).
std::string_view rawValue(Kind kind);
// Fixed sRGB colour of the kind.
Rgb color(Kind kind);

// The matches of one kind.
struct Category {
    Kind kind;
    std::vector<FileNode*> matches; // largest sizeOnDisk first (stable), at most 400
    // downloads, caches, simulators: direct children of all matched folders; other kinds: matches.
    // Counted before the cut to 400.
    int64_t itemCount = 0;

    std::string_view id() const { return rawValue(kind); }
    // Sum of sizeOnDisk over `matches`.
    int64_t totalSize() const;
};

constexpr size_t kMatchLimit = 400;
constexpr int64_t kLargeMediaBytes = 10'000'000;

// The places the rules compare with. current() reads $HOME, the XDG download folder and the Trash
// folders (resolving links: not on the window's thread).
struct Places {
    std::string home;          // normalised, no trailing slash
    std::string downloadsName; // "Downloads" unless user-dirs.dirs names another folder directly in home
    platform::TrashFolders trash = {}; // never matched nor walked into
    static Places current();
    // The same with the tree's Trash folders, as its paths spell them (reads no folder).
    static Places forTree(const ScanTree& tree);
};

// One category per kind with matches, ordered by total size, largest first (equal totals in kind order).
// Walks the whole tree: the caller keeps the tree alive and holds its shared lock while this runs.
std::vector<Category> analyze(const ScanTree& tree);
std::vector<Category> analyze(const FileNode* root, const Places& places);
// The same walk spread over `threads` threads: the tree is cut into pieces of at least `minPieceNodes`
// entries, walked apart, and their matches joined in walk order, so the result is the same for any
// thread count.
constexpr int64_t kMinPieceNodes = 256;
std::vector<Category> analyze(const FileNode* root, const Places& places, unsigned threads,
                              int64_t minPieceNodes);

} // namespace QuickWins
