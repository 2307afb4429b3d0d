#include "model/QuickWins.h"

#include "model/Parallel.h"
#include "model/Saturating.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <exception>
#include <numeric>
#include <thread>

namespace QuickWins {

namespace {

// Fixed folder names the rules compare with, letter case included.
constexpr std::string_view kCachesName = "Caches";
constexpr std::string_view kLogsName = "Logs";
constexpr std::string_view kLibraryName = "Library";
constexpr std::string_view kXdgCacheName = ".cache";
constexpr std::string_view kSimulatorName = "CoreSimulator";
constexpr std::string_view kDeveloperName = "Developer";
constexpr std::string_view kDerivedDataName = "DerivedData";
constexpr std::string_view kXcodeName = "Xcode";

constexpr std::array<std::string_view, 7> kBuildArtifactNames = {"build",  ".build", "dist",         ".next",
                                                                 "target", ".turbo", ".parcel-cache"};

bool isBuildArtifactName(std::string_view name) {
    return std::find(kBuildArtifactNames.begin(), kBuildArtifactNames.end(), name) !=
           kBuildArtifactNames.end();
}

using KindMask = uint8_t;
constexpr KindMask bit(Kind kind) {
    return static_cast<KindMask>(1u << static_cast<unsigned>(kind));
}

bool isDirectlyInHome(const FileNode* node, const Places& places) {
    const FileNode* parent = node->parent();
    // Building the parent's path is the one costly step, done only for folders with a matching name.
    return parent &&
           platform::withoutTrailingSlashes(parent->path()) == platform::withoutTrailingSlashes(places.home);
}

KindMask folderKinds(const FileNode* node, const Places& places) {
    std::string_view name = node->name();
    const FileNode* parent = node->parent();
    std::string_view parentName = parent ? parent->name() : std::string_view();
    KindMask kinds = 0;
    if (name == places.downloadsName && isDirectlyInHome(node, places)) kinds |= bit(Kind::downloads);
    if (parent && (name == kCachesName || name == kLogsName) && parentName == kLibraryName)
        kinds |= bit(Kind::caches);
    else if (name == kXdgCacheName && isDirectlyInHome(node, places))
        kinds |= bit(Kind::caches);
    if (parent && name == kSimulatorName && parentName == kDeveloperName) kinds |= bit(Kind::simulators);
    if (name == "node_modules") kinds |= bit(Kind::nodeModules);
    if (isBuildArtifactName(name)) kinds |= bit(Kind::buildArtifacts);
    if (parent && name == kDerivedDataName && parentName == kXcodeName) kinds |= bit(Kind::derivedData);
    return kinds;
}

// Video, audio and images come first among the categories.
constexpr int kLastMediaCategory = file_category::rawValue(FileCategory::image);

bool isLargeMedia(const FileNode* file) {
    return file->sizeOnDisk >= kLargeMediaBytes &&
           file_category::rawValue(file->category) <= kLastMediaCategory;
}

// False when the folder's media files add up to less than one large one: none of them is large. True
// when its totals are not known.
bool mayHoldLargeMedia(const FileNode* folder) {
    const auto* sizes = folder->typeSizes();
    if (!sizes) return true;
    int64_t media = 0;
    for (int i = 0; i <= kLastMediaCategory; ++i)
        media = saturating::add(media, (*sizes)[static_cast<size_t>(i)]);
    return media >= kLargeMediaBytes;
}

// A Trash folder is shown like any folder, but what it holds is never offered: only the folder's
// name is compared until it could be one, since building paths costs.
bool isTrashFolder(const FileNode* node, const Places& places) {
    return places.trash.hasTrashFolderName(node->name()) && places.trash.isTrashFolder(node->path());
}

bool countsChildren(Kind kind) {
    return kind == Kind::downloads || kind == Kind::caches || kind == Kind::simulators;
}

} // namespace

std::string_view rawValue(Kind kind) {
    switch (kind) {
    case Kind::downloads:
        return "downloads";
    case Kind::caches:
        return "caches";
    case Kind::simulators:
        return "simulators";
    case Kind::largeMedia:
        return "largeMedia";
    case Kind::nodeModules:
        return "nodeModules";
    case Kind::buildArtifacts:
        return "buildArtifacts";
    case Kind::derivedData:
        return "derivedData";
    }
    return {};
}

Rgb color(Kind kind) {
    switch (kind) {
    case Kind::downloads:
        return {59, 130, 246};
    case Kind::caches:
        return {139, 92, 246};
    case Kind::simulators:
        return {6, 182, 212};
    case Kind::largeMedia:
        return {236, 72, 153};
    case Kind::nodeModules:
        return {16, 185, 129};
    case Kind::buildArtifacts:
        return {245, 158, 11};
    case Kind::derivedData:
        return {99, 102, 241};
    }
    return {0, 0, 0};
}

int64_t Category::totalSize() const {
    return std::accumulate(matches.begin(), matches.end(), int64_t{0}, [](int64_t sum, const FileNode* node) {
        return saturating::add(sum, node->sizeOnDisk);
    });
}

Places Places::current() {
    return Places{platform::homeFolder(), platform::downloadFolderName(),
                  platform::TrashFolders::currentResolved()};
}

Places Places::forTree(const ScanTree& tree) {
    return Places{platform::homeFolder(), platform::downloadFolderName(), tree.trashFolders()};
}

std::vector<Category> analyze(const ScanTree& tree) {
    return analyze(tree.root(), Places::forTree(tree));
}

std::vector<Category> analyze(const FileNode* root, const Places& places) {
    return analyze(root, places, std::max(1u, std::thread::hardware_concurrency()), kMinPieceNodes);
}

namespace {

using Matches = std::array<std::vector<FileNode*>, kKindCount>;

// A stretch of the walk's pre-order: the matches of the large folders walked here (no `parent`), or
// those of a run of a folder's children, walked on a thread.
struct Piece {
    const FileNode* parent = nullptr;
    size_t first = 0, last = 0;
    KindMask matchedAbove = 0;
    int64_t nodes = 0;
    Matches matches;
    std::exception_ptr failure; // no exception may leave a thread: it is rethrown on the caller's
};

// Pre-order walk from `from`; each entry carries the kinds already matched by an ancestor, which are
// not matched again below it (other kinds still are).
void walk(const FileNode* from, KindMask matchedAbove, const Places& places, Matches& out) {
    struct Step {
        const FileNode* node;
        KindMask matchedAbove;
    };
    std::vector<Step> stack{{from, matchedAbove}};
    while (!stack.empty()) {
        auto [node, above] = stack.back();
        stack.pop_back();
        if (!node->isDirectory()) {
            if (!(above & bit(Kind::largeMedia)) && isLargeMedia(node))
                out[static_cast<int>(Kind::largeMedia)].push_back(const_cast<FileNode*>(node));
            continue;
        }
        if (isTrashFolder(node, places)) continue;
        KindMask fresh = folderKinds(node, places) & ~above;
        for (Kind kind : allKinds)
            if (fresh & bit(kind)) out[static_cast<int>(kind)].push_back(const_cast<FileNode*>(node));
        KindMask below = above | fresh;
        auto kids = node->children();
        // Files are looked at only where one can be large media: most folders of files need no visit of
        // their files at all.
        const bool files = mayHoldLargeMedia(node);
        if (!files && node->folderCount() == 0) continue;
        for (size_t i = kids.size(); i-- > 0;)
            if (files || kids[i]->isDirectory()) stack.push_back({kids[i], below});
    }
}

int64_t nodesIn(const FileNode* node) {
    return 1 + (node->isDirectory() ? node->fileCount() + node->folderCount() : 0);
}

} // namespace

std::vector<Category> analyze(const FileNode* root, const Places& places, unsigned threads,
                              int64_t minPieceNodes) {
    if (!root || places.trash.isInTrash(root->path())) return {};

    // Folders larger than a thread's share are walked here, in pre-order; the children between them
    // are cut into runs of about a share each, in the place the single walk would have reached them.
    const int64_t share =
        threads < 2 ? INT64_MAX : std::max(minPieceNodes, nodesIn(root) / (int64_t{threads} * 8));
    std::vector<Piece> pieces;
    struct Frame {
        const FileNode* folder;
        KindMask below;
        size_t next;
    };
    std::vector<Frame> frames;
    auto enter = [&](const FileNode* folder, KindMask above) {
        if (isTrashFolder(folder, places)) return;
        if (pieces.empty() || pieces.back().parent) pieces.emplace_back();
        KindMask fresh = folderKinds(folder, places) & ~above;
        for (Kind kind : allKinds)
            if (fresh & bit(kind))
                pieces.back().matches[static_cast<int>(kind)].push_back(const_cast<FileNode*>(folder));
        frames.push_back({folder, static_cast<KindMask>(above | fresh), 0});
    };
    enter(root, 0);
    size_t runs = 0;
    while (!frames.empty()) {
        Frame& frame = frames.back();
        auto kids = frame.folder->children();
        if (frame.next == 0 && frame.folder->folderCount() == 0) {
            // A folder of files only is cut into runs by count, without a look at each file; none is
            // needed where no file can be large media.
            if (mayHoldLargeMedia(frame.folder))
                for (size_t first = 0; first < kids.size(); first += static_cast<size_t>(share)) {
                    const size_t last = std::min(kids.size(), first + static_cast<size_t>(share));
                    pieces.push_back(
                        {frame.folder, first, last, frame.below, static_cast<int64_t>(last - first), {}, {}});
                    ++runs;
                }
            frames.pop_back();
            continue;
        }
        if (frame.next == kids.size()) {
            frames.pop_back();
            continue;
        }
        const FileNode* child = kids[frame.next++];
        if (nodesIn(child) > share && child->isDirectory()) {
            enter(child, frame.below); // may grow `frames`: `frame` is not used after this
            continue;
        }
        Piece* run = pieces.empty() ? nullptr : &pieces.back();
        if (!run || run->parent != frame.folder || run->last != frame.next - 1 || run->nodes >= share) {
            pieces.push_back({frame.folder, frame.next - 1, frame.next - 1, frame.below, 0, {}, {}});
            run = &pieces.back();
            ++runs;
        }
        run->last = frame.next;
        run->nodes += nodesIn(child);
    }

    std::atomic<size_t> next = 0;
    runOnThreads(std::min<size_t>(threads, runs), [&] {
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < pieces.size();) {
            Piece& piece = pieces[i];
            if (!piece.parent) continue;
            try {
                auto kids = piece.parent->children();
                for (size_t k = piece.first; k < piece.last; ++k)
                    walk(kids[k], piece.matchedAbove, places, piece.matches);
            } catch (...) {
                piece.failure = std::current_exception();
            }
        }
    });
    Matches matches;
    for (Piece& piece : pieces) {
        if (piece.failure) std::rethrow_exception(piece.failure);
        for (int k = 0; k < kKindCount; ++k)
            matches[k].insert(matches[k].end(), piece.matches[k].begin(), piece.matches[k].end());
    }

    std::vector<Category> categories;
    for (Kind kind : allKinds) {
        auto& list = matches[static_cast<int>(kind)];
        if (list.empty()) continue;
        Category category{kind, {}, 0};
        if (countsChildren(kind)) {
            for (const FileNode* folder : list)
                category.itemCount += static_cast<int64_t>(folder->children().size());
        } else {
            category.itemCount = static_cast<int64_t>(list.size());
        }
        FileNode::sortBySizeOnDisk(list);
        if (list.size() > kMatchLimit) list.resize(kMatchLimit);
        category.matches = std::move(list);
        categories.push_back(std::move(category));
    }
    std::stable_sort(categories.begin(), categories.end(),
                     [](const Category& a, const Category& b) { return a.totalSize() > b.totalSize(); });
    return categories;
}

} // namespace QuickWins
