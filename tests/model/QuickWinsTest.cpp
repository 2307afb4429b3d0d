#include "model/QuickWins.h"
#include "platform/UserFolders.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using QuickWins::Kind;

namespace {

const QuickWins::Places kAnn{"/home/ann", "Downloads"};

const QuickWins::Category* find(const std::vector<QuickWins::Category>& categories, Kind kind) {
    for (const auto& c : categories)
        if (c.kind == kind) return &c;
    return nullptr;
}

std::vector<std::string> paths(const QuickWins::Category* c) {
    std::vector<std::string> out;
    if (c)
        for (const FileNode* n : c->matches) out.push_back(n->path());
    return out;
}

} // namespace

TEST(QuickWinsTest, DownloadsOnlyDirectlyInHome) {
    TreeBuilder b("/");
    b.fileAt("home/ann/Downloads/a.zip", 100);
    b.fileAt("home/ann/Downloads/b.pdf", 100);
    b.fileAt("home/ann/Downloads/sub/c.txt", 100);
    b.fileAt("home/ann/Documents/Downloads/d.txt", 100);
    b.fileAt("mnt/Downloads/e.txt", 100);
    auto tree = b.finish();
    auto wins = QuickWins::analyze(tree->root(), kAnn);
    const auto* downloads = find(wins, Kind::downloads);
    ASSERT_TRUE(downloads);
    EXPECT_EQ(paths(downloads), std::vector<std::string>{"/home/ann/Downloads"});
    EXPECT_EQ(downloads->itemCount, 3); // direct entries, not files below

    // A scan of the home folder finds it too; a scan rooted at the folder itself does not.
    TreeBuilder home("/home/ann/");
    home.fileAt("Downloads/a", 1);
    auto homeTree = home.finish();
    EXPECT_TRUE(find(QuickWins::analyze(homeTree->root(), kAnn), Kind::downloads));
    TreeBuilder self("/home/ann/Downloads");
    self.fileAt("a", 1);
    auto selfTree = self.finish();
    EXPECT_TRUE(QuickWins::analyze(selfTree->root(), kAnn).empty());
}

TEST(QuickWinsTest, CachesAndLogs) {
    TreeBuilder b("/");
    b.fileAt("Library/Caches/x", 1000);
    b.fileAt("home/ann/Library/Caches/y", 500);
    b.fileAt("home/ann/Library/Caches/nested/Library/Caches/z", 50); // below a match: not listed again
    b.fileAt("home/ann/Library/Logs/l1", 10);
    b.fileAt("home/ann/Library/Logs/l2", 10);
    b.fileAt("home/ann/Library/Containers/app/Data/Library/Caches/w", 20);
    b.fileAt("var/Logs/not-a-match", 5000);
    b.fileAt("home/ann/.cache/fontconfig/f", 300);
    b.fileAt("home/ann/.cache/pip/p", 300);
    b.fileAt("home/ann/src/.cache/not-a-match", 9000);
    b.fileAt("home/ann/Library/caches/wrong-case", 9000);
    auto tree = b.finish();
    auto wins = QuickWins::analyze(tree->root(), kAnn);
    const auto* caches = find(wins, Kind::caches);
    ASSERT_TRUE(caches);
    EXPECT_EQ(paths(caches), (std::vector<std::string>{"/Library/Caches", "/home/ann/.cache",
                                                       "/home/ann/Library/Caches", "/home/ann/Library/Logs",
                                                       "/home/ann/Library/Containers/app/Data/Library/Caches"}));
    EXPECT_EQ(caches->itemCount, 1 + 2 + 2 + 2 + 1);
}

TEST(QuickWinsTest, DeveloperFoldersNestAsTheRulesSay) {
    TreeBuilder b("/home/ann");
    b.fileAt("web/node_modules/dep/node_modules/inner/i.js", 100);
    b.fileAt("web/node_modules/dep/build/out.js", 200);
    b.fileAt("web/node_modules/dep/movie.mp4", 20'000'000);
    b.fileAt("rust/target/debug/app", 300);
    b.fileAt("Library/Developer/CoreSimulator/Devices/d1", 1);
    b.fileAt("Library/Developer/CoreSimulator/Caches/c1", 1);
    b.fileAt("Library/Developer/Xcode/DerivedData/App-abc/x", 1);
    b.fileAt("Other/CoreSimulator/x", 1);
    b.fileAt("Other/DerivedData/x", 1);
    auto tree = b.finish();
    auto wins = QuickWins::analyze(tree->root(), kAnn);

    EXPECT_EQ(paths(find(wins, Kind::nodeModules)), std::vector<std::string>{"/home/ann/web/node_modules"});
    EXPECT_EQ(paths(find(wins, Kind::buildArtifacts)),
              (std::vector<std::string>{"/home/ann/rust/target", "/home/ann/web/node_modules/dep/build"}));
    EXPECT_EQ(paths(find(wins, Kind::largeMedia)), std::vector<std::string>{"/home/ann/web/node_modules/dep/movie.mp4"});
    const auto* simulators = find(wins, Kind::simulators);
    EXPECT_EQ(paths(simulators), std::vector<std::string>{"/home/ann/Library/Developer/CoreSimulator"});
    EXPECT_EQ(simulators->itemCount, 2);
    EXPECT_EQ(paths(find(wins, Kind::derivedData)),
              std::vector<std::string>{"/home/ann/Library/Developer/Xcode/DerivedData"});
    // Caches inside the simulator folder's parent chain is not named "Library": no caches match.
    EXPECT_FALSE(find(wins, Kind::caches));
}

TEST(QuickWinsTest, LargeMediaThresholdAndCategories) {
    TreeBuilder b("/data");
    b.fileAt("exact.png", 10'000'000);
    b.fileAt("just-under.jpg", 9'999'999);
    b.fileAt("song.flac", 12'000'000);
    b.fileAt("disk.iso", 4'000'000'000);
    b.fileAt("notes.txt", 50'000'000);
    auto tree = b.finish();
    auto wins = QuickWins::analyze(tree->root(), kAnn);
    EXPECT_EQ(paths(find(wins, Kind::largeMedia)), (std::vector<std::string>{"/data/song.flac", "/data/exact.png"}));
}

TEST(QuickWinsTest, CapOrderAndCounts) {
    TreeBuilder b("/src");
    for (int i = 0; i < 1000; ++i) b.fileAt("p" + std::to_string(i) + "/node_modules/f", 1000 + (i % 500));
    b.fileAt("a/dist/x", 400 * 1499 + 1); // one build folder, larger than the 400 kept node_modules together
    auto tree = b.finish();
    auto wins = QuickWins::analyze(tree->root(), kAnn);
    ASSERT_EQ(wins.size(), 2u);
    const auto& modules = wins[1];
    EXPECT_EQ(wins[0].kind, Kind::buildArtifacts);
    EXPECT_EQ(modules.kind, Kind::nodeModules);
    EXPECT_EQ(modules.itemCount, 1000);
    ASSERT_EQ(modules.matches.size(), QuickWins::kMatchLimit);
    EXPECT_EQ(modules.matches.front()->sizeOnDisk, 1499);
    for (size_t i = 1; i < modules.matches.size(); ++i)
        EXPECT_GE(modules.matches[i - 1]->sizeOnDisk, modules.matches[i]->sizeOnDisk);
    EXPECT_EQ(modules.totalSize(), 2 * (1499 + 1300) * 200 / 2);

    // Equal totals keep the kinds' order.
    TreeBuilder tie("/home/ann");
    tie.fileAt("x/build/f", 10);
    tie.fileAt("Downloads/f", 10);
    auto tieTree = tie.finish();
    auto tied = QuickWins::analyze(tieTree->root(), kAnn);
    ASSERT_EQ(tied.size(), 2u);
    EXPECT_EQ(tied[0].kind, Kind::downloads);
    EXPECT_EQ(tied[0].id(), "downloads");

    TreeBuilder empty("/empty");
    EXPECT_TRUE(QuickWins::analyze(empty.finish()->root(), kAnn).empty());
}

TEST(QuickWinsTest, DownloadFolderNameFromUserDirs) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    EXPECT_EQ(platform::downloadFolderName(), "Downloads"); // no user-dirs.dirs
    auto write = [&](const std::string& line) {
        std::ofstream(user.configHome() + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                             << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                                             << line << "\n";
    };
    write("XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"");
    EXPECT_EQ(platform::downloadFolderName(), "Téléchargements");
    EXPECT_EQ(QuickWins::Places::current().downloadsName, "Téléchargements");
    EXPECT_EQ(QuickWins::Places::current().home, user.home());
    write("XDG_DOWNLOAD_DIR=\"" + user.home() + "/Incoming/\"");
    EXPECT_EQ(platform::downloadFolderName(), "Incoming");
    write("XDG_DOWNLOAD_DIR=\"$HOME/stuff/downloads\""); // not directly in home
    EXPECT_EQ(platform::downloadFolderName(), "Downloads");
    write("XDG_DOWNLOAD_DIR=\"$HOME\"");
    EXPECT_EQ(platform::downloadFolderName(), "Downloads");
}
