#include "model/QuickWins.h"
#include "platform/UserFolders.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/StuckReads.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using QuickWins::Kind;
using Paths = std::vector<std::string>;

namespace {

// The quick wins of a tree made of `files` (path below the root, size on disk), for a user "ann".
struct Wins {
    Wins(const std::string& root, std::initializer_list<std::pair<std::string, int64_t>> files) {
        TreeBuilder b(root);
        for (const auto& [path, size] : files)
            b.fileAt(path, size);
        tree = b.finish();
        list = QuickWins::analyze(tree->root(), {"/home/ann", "Downloads"});
    }
    const QuickWins::Category* find(Kind kind) const {
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.kind == kind; });
        return it == list.end() ? nullptr : &*it;
    }
    Paths paths(Kind kind) const {
        Paths out;
        if (const auto* c = find(kind))
            for (const FileNode* n : c->matches)
                out.push_back(n->path());
        return out;
    }
    std::shared_ptr<ScanTree> tree;
    std::vector<QuickWins::Category> list;
};

} // namespace

TEST(QuickWinsTest, DownloadsOnlyDirectlyInHome) {
    Wins wins("/", {{"home/ann/Downloads/a.zip", 100},
                    {"home/ann/Downloads/b.pdf", 100},
                    {"home/ann/Downloads/sub/c.txt", 100},
                    {"home/ann/Documents/Downloads/d.txt", 100},
                    {"mnt/Downloads/e.txt", 100}});
    EXPECT_EQ(wins.paths(Kind::downloads), Paths{"/home/ann/Downloads"});
    EXPECT_EQ(wins.find(Kind::downloads)->itemCount, 3); // direct entries, not files below

    // A scan of the home folder finds it too; a scan rooted at the folder itself does not.
    EXPECT_TRUE(Wins("/home/ann/", {{"Downloads/a", 1}}).find(Kind::downloads));
    EXPECT_TRUE(Wins("/home/ann/Downloads", {{"a", 1}}).list.empty());
}

TEST(QuickWinsTest, CachesAndLogs) {
    Wins wins("/",
              {{"Library/Caches/x", 1000},
               {"home/ann/Library/Caches/y", 500},
               {"home/ann/Library/Caches/nested/Library/Caches/z", 50}, // below a match: not listed again
               {"home/ann/Library/Logs/l1", 10},
               {"home/ann/Library/Logs/l2", 10},
               {"home/ann/Library/Containers/app/Data/Library/Caches/w", 20},
               {"var/Logs/not-a-match", 5000},
               {"home/ann/.cache/fontconfig/f", 300},
               {"home/ann/.cache/pip/p", 300},
               {"home/ann/src/.cache/not-a-match", 9000},
               {"home/ann/Library/caches/wrong-case", 9000}});
    EXPECT_EQ(wins.paths(Kind::caches),
              (Paths{"/Library/Caches", "/home/ann/.cache", "/home/ann/Library/Caches",
                     "/home/ann/Library/Logs", "/home/ann/Library/Containers/app/Data/Library/Caches"}));
    EXPECT_EQ(wins.find(Kind::caches)->itemCount, 1 + 2 + 2 + 2 + 1);
}

TEST(QuickWinsTest, DeveloperFoldersNestAsTheRulesSayAndLargeMediaIsTenMegabytes) {
    Wins wins("/home/ann", {{"web/node_modules/dep/node_modules/inner/i.js", 100},
                            {"web/node_modules/dep/build/out.js", 200},
                            {"web/node_modules/dep/movie.mp4", 20'000'000},
                            {"rust/target/debug/app", 300},
                            {"Library/Developer/CoreSimulator/Devices/d1", 1},
                            {"Library/Developer/CoreSimulator/Caches/c1", 1},
                            {"Library/Developer/Xcode/DerivedData/App-abc/x", 1},
                            {"Other/CoreSimulator/x", 1},
                            {"Other/DerivedData/x", 1},
                            {"exact.png", 10'000'000},
                            {"just-under.jpg", 9'999'999},
                            {"song.flac", 12'000'000},
                            {"disk.iso", 40'000'000},
                            {"notes.txt", 50'000'000}});
    EXPECT_EQ(wins.paths(Kind::nodeModules), Paths{"/home/ann/web/node_modules"});
    EXPECT_EQ(wins.paths(Kind::buildArtifacts),
              (Paths{"/home/ann/rust/target", "/home/ann/web/node_modules/dep/build"}));
    EXPECT_EQ(wins.paths(Kind::largeMedia), (Paths{"/home/ann/web/node_modules/dep/movie.mp4",
                                                   "/home/ann/song.flac", "/home/ann/exact.png"}));
    EXPECT_EQ(wins.paths(Kind::simulators), Paths{"/home/ann/Library/Developer/CoreSimulator"});
    EXPECT_EQ(wins.find(Kind::simulators)->itemCount, 2);
    EXPECT_EQ(wins.paths(Kind::derivedData), Paths{"/home/ann/Library/Developer/Xcode/DerivedData"});
    EXPECT_FALSE(wins.find(Kind::caches)); // CoreSimulator/Caches has no "Library" parent
}

TEST(QuickWinsTest, CapOrderAndCounts) {
    TreeBuilder b("/src");
    for (int i = 0; i < 1000; ++i)
        b.fileAt("p" + std::to_string(i) + "/node_modules/f", 1000 + (i % 500));
    b.fileAt("a/dist/x", 400 * 1499 + 1); // one build folder, larger than the 400 kept node_modules together
    auto tree = b.finish();
    auto wins = QuickWins::analyze(tree->root(), {"/home/ann", "Downloads"});
    ASSERT_EQ(wins.size(), 2u);
    EXPECT_EQ(wins[0].kind, Kind::buildArtifacts);
    const auto& modules = wins[1];
    EXPECT_EQ(modules.itemCount, 1000); // counted before the cut
    ASSERT_EQ(modules.matches.size(), QuickWins::kMatchLimit);
    for (size_t i = 1; i < modules.matches.size(); ++i)
        EXPECT_GE(modules.matches[i - 1]->sizeOnDisk, modules.matches[i]->sizeOnDisk);
    EXPECT_EQ(modules.totalSize(), 2 * (1499 + 1300) * 200 / 2);

    // Sizes of sparse files do not wrap the total.
    TreeBuilder huge("/h");
    FileNode* sparse[] = {huge.fileAt("a.mp4", INT64_MAX), huge.fileAt("b.mp4", INT64_MAX)};
    huge.attach();
    EXPECT_EQ((QuickWins::Category{Kind::largeMedia, {sparse[0], sparse[1]}, 2}).totalSize(), INT64_MAX);

    // Equal totals keep the kinds' order.
    Wins tied("/home/ann", {{"x/build/f", 10}, {"Downloads/f", 10}});
    ASSERT_EQ(tied.list.size(), 2u);
    EXPECT_EQ(tied.list[0].kind, Kind::downloads);
}

// The Trash folders are scanned and shown, but nothing in them is ever offered: staging it would move
// it within the Trash and lose its way back.
TEST(QuickWinsTest, NothingInATrashFolderIsOffered) {
    TreeBuilder b("/");
    for (const char* trash : {"home/ann/.local/share/Trash", "mnt/usb/.Trash-1000", "mnt/usb/.Trash/1000"})
        for (const char* inside : {"/files/movie.mp4", "/files/web/node_modules/x.js", "/files/build/out",
                                   "/files/Downloads/a", "/files/Library/Caches/c"})
            b.fileAt(std::string(trash) + inside, 20'000'000);
    b.fileAt("home/ann/keep.mp4", 20'000'000);
    b.fileAt("mnt/usb/.Trash-1001/files/theirs.mp4", 20'000'000); // another user's: not this user's trash
    auto tree = b.finish();
    const QuickWins::Places places{
        "/home/ann", "Downloads",
        platform::TrashFolders("/home/ann/.local/share/Trash", {"/", "/mnt/usb"}, 1000)};
    const auto wins = QuickWins::analyze(tree->root(), places);
    ASSERT_EQ(wins.size(), 1u);
    EXPECT_EQ(wins[0].kind, Kind::largeMedia);
    Paths offered;
    for (const FileNode* n : wins[0].matches)
        offered.push_back(n->path());
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(offered, (Paths{"/home/ann/keep.mp4", "/mnt/usb/.Trash-1001/files/theirs.mp4"}));
    // A scan of the Trash itself, or of a folder inside it, offers nothing either.
    for (const char* root : {"/home/ann/.local/share/Trash", "/home/ann/.local/share/Trash/files"}) {
        TreeBuilder inside(root);
        inside.fileAt("web/node_modules/big.mp4", 20'000'000);
        EXPECT_TRUE(QuickWins::analyze(inside.finish()->root(), places).empty()) << root;
    }
}

TEST(QuickWinsTest, DownloadFolderNameFromUserDirs) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    EXPECT_EQ(platform::downloadFolderName(), "Downloads"); // no user-dirs.dirs
    auto named = [&](const std::string& line) {
        writeFileText(user.configHome() + "/user-dirs.dirs",
                      "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n" + line + "\n");
        return platform::downloadFolderName();
    };
    EXPECT_EQ(named("XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\""), "Téléchargements");
    EXPECT_EQ(QuickWins::Places::current().downloadsName, "Téléchargements");
    EXPECT_EQ(named("XDG_DOWNLOAD_DIR=\"" + user.home() + "/Incoming/\""), "Incoming");
    EXPECT_EQ(named("XDG_DOWNLOAD_DIR=\"$HOME/stuff/downloads\""), "Downloads"); // not directly in home
    EXPECT_EQ(named("XDG_DOWNLOAD_DIR=\"$HOME\""), "Downloads");
}

namespace fs = std::filesystem;

// user-dirs.dirs is the user's own file: a link to a regular one is read, but a FIFO, a device or a
// runaway file in its place reads as absent, never as a reason for the scan to wait or read on.
TEST(QuickWinsTest, UserDirsThatIsNoSmallRegularFileReadsAsAbsent) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path file = user.configHome() + "/user-dirs.dirs";
    const fs::path real = temp.path() / "dotfiles/user-dirs.dirs";
    writeFileText(real, "XDG_DOWNLOAD_DIR=\"$HOME/Incoming\"\n");

    PlantedFifo fifo(file);
    std::string name;
    ASSERT_TRUE(fifo.finishesWithin(std::chrono::seconds(5), [&] { name = platform::downloadFolderName(); }));
    EXPECT_EQ(name, "Downloads");

    fs::remove(file);
    fs::create_symlink(real, file);
    EXPECT_EQ(platform::downloadFolderName(), "Incoming");

    fs::remove(file);
    fs::create_symlink("/dev/zero", file);
    EXPECT_EQ(platform::downloadFolderName(), "Downloads");

    fs::remove(file);
    writeFileText(file, std::string(1 << 20, '#') + "\nXDG_DOWNLOAD_DIR=\"$HOME/Incoming\"\n");
    EXPECT_EQ(platform::downloadFolderName(), "Downloads");
}

namespace {

// A tree of random paths under /home/ann, with folders the rules match nested in one another, a Trash
// folder, and sizes drawn from a few values so that many matches tie and their walk order shows.
// `wideFiles` more go into one folder that holds files only, all of them large.
std::shared_ptr<ScanTree> randomTree(std::mt19937& random, int files, int wideFiles = 0) {
    static const char* const names[] = {"a",     "b",           "node_modules",  "build",
                                        "dist",  ".cache",      "Library",       "Caches",
                                        "Logs",  "Downloads",   "Developer",     "target",
                                        "Xcode", "DerivedData", "CoreSimulator", ".local/share/Trash"};
    static const char* const leaves[] = {"f.txt", "m.mp4", "p.png", "s.flac"};
    static const int64_t sizes[] = {1, 100, 10'000'000, 20'000'000};
    auto pick = [&](auto& from) { return from[random() % std::size(from)]; };
    TreeBuilder b("/home/ann");
    for (int i = 0; i < files; ++i) {
        std::string path;
        for (int depth = static_cast<int>(random() % 7); depth-- > 0;)
            path += std::string(pick(names)) + "/";
        b.fileAt(path + std::to_string(i % 5) + pick(leaves), pick(sizes));
    }
    for (int i = 0; i < wideFiles; ++i) { // large media down to the smallest, past some other large files
        std::string name = "a/wide/" + std::to_string(i);
        name += i % 3 ? "m.mp4" : "f.txt";
        b.fileAt(name, i % 2 ? 10'000'000 : 20'000'000);
    }
    return b.finish();
}

void expectSameWins(const std::vector<QuickWins::Category>& got,
                    const std::vector<QuickWins::Category>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].kind, want[i].kind);
        EXPECT_EQ(got[i].itemCount, want[i].itemCount);
        EXPECT_EQ(got[i].matches, want[i].matches); // the same nodes in the same order
        EXPECT_EQ(got[i].totalSize(), want[i].totalSize());
    }
}

} // namespace

// Walked on several threads, the tree gives the very result of the single walk: same matches in the
// same order (ties keep walk order), same categories, counts and totals.
TEST(QuickWinsTest, ParallelWalkEqualsTheSingleWalk) {
    const QuickWins::Places places{"/home/ann", "Downloads",
                                   platform::TrashFolders("/home/ann/.local/share/Trash", {"/"}, 1000)};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        auto tree = randomTree(random, 1500);
        const auto single = QuickWins::analyze(tree->root(), places, 1, QuickWins::kMinPieceNodes);
        ASSERT_FALSE(single.empty());
        for (auto [threads, minPiece] : {std::pair{2u, 1}, {3u, 16}, {8u, 1}, {8u, 64}}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", threads " + std::to_string(threads) +
                         ", pieces of " + std::to_string(minPiece));
            expectSameWins(QuickWins::analyze(tree->root(), places, threads, minPiece), single);
        }
    }
    // A tree too small to split is walked once, with the same result.
    std::mt19937 random(99);
    auto small = randomTree(random, 30);
    expectSameWins(QuickWins::analyze(small->root(), places),
                   QuickWins::analyze(small->root(), places, 1, QuickWins::kMinPieceNodes));
}

// Folders whose media add up to less than one large file are not searched for it; every large media
// file outside the Trash must still be found, in the order and number of a search of every file.
TEST(QuickWinsTest, LargeMediaIsFoundWhereverTheFoldersDoNotRuleItOut) {
    const std::string trash = "/home/ann/.local/share/Trash";
    const QuickWins::Places places{"/home/ann", "Downloads", platform::TrashFolders(trash, {"/"}, 1000)};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto tree = randomTree(random, 1500, 400);
        std::vector<FileNode*> every;
        tree->root()->forEachNode([&](FileNode* node) {
            if (!node->isDirectory() && node->sizeOnDisk >= QuickWins::kLargeMediaBytes &&
                node->category <= FileCategory::image && !node->path().starts_with(trash + "/"))
                every.push_back(node);
        });
        ASSERT_FALSE(every.empty());
        const auto itemCount = static_cast<int64_t>(every.size());
        FileNode::sortBySizeOnDisk(every);
        every.resize(std::min(every.size(), QuickWins::kMatchLimit));
        for (unsigned threads : {1u, 8u}) {
            const auto wins = QuickWins::analyze(tree->root(), places, threads, 16);
            auto media = std::find_if(wins.begin(), wins.end(),
                                      [](const auto& c) { return c.kind == Kind::largeMedia; });
            ASSERT_NE(media, wins.end());
            EXPECT_EQ(media->itemCount, itemCount);
            EXPECT_EQ(media->matches, every);
        }
    }
}
