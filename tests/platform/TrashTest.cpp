#include "platform/Trash.h"
#include "platform/Paths.h"
#include "platform/TrashFolders.h"
#include "platform/UserFolders.h"
#include "tests/support/DeepFolders.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <regex>
#include <tuple>

namespace fs = std::filesystem;

namespace {

class TrashTest : public ::testing::Test {
  protected:
    TempDir temp;
    ScopedUserFolders user{temp.str()};
    platform::FreedesktopTrash trash;
    fs::path trashFolder() const { return fs::path(user.dataHome()) / "Trash"; }
};

} // namespace

// Relative paths, ".." and the root are refused: a group node's title or a crafted path never reaches the
// Trash.
TEST(AbsolutePathTest, NormalisesAndRefuses) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"/x/a/", "/x/a"},           {"//x/./a//b", "/x/a/b"},
        {"/x/...", "/x/..."},        {"relative/a", std::nullopt},
        {"Older", std::nullopt},     {"", std::nullopt},
        {"/x/../etc", std::nullopt}, {"/", std::nullopt}};
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(platform::normalizedAbsolutePath(path), expected) << path;
    EXPECT_TRUE(platform::isBelow("/x/a/b", "/x/a"));
    EXPECT_FALSE(platform::isBelow("/x/ab", "/x/a"));
    EXPECT_FALSE(platform::isBelow("/x/a", "/x/a"));
    EXPECT_EQ(platform::standardizedPath("/a/./b/../c//"), "/a/c"); // for comparing places only
    EXPECT_EQ(platform::standardizedPath("a/../../b"), "../b");
}

// A scan's folder: absolute, standardised by its text alone.
TEST(AbsolutePathTest, StandardisesTheFolderAScanStartsFrom) {
    const std::pair<const char*, const char*> cases[] = {
        {"/x/a/../b/", "/x/b"}, {"/x//a/./", "/x/a"}, {"/", "/"}, {"//", "/"}, {"/..", "/"}, {"/x/..", "/"}};
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(platform::absolutePath(path), expected) << path;
    const std::string working = fs::current_path().string();
    EXPECT_EQ(platform::absolutePath("a/./b/.."), platform::standardizedPath(working + "/a"));
    EXPECT_EQ(platform::absolutePath("."), platform::standardizedPath(working));
}

// The home trash and each volume's two per-user places count, with everything below them; a folder
// that only looks like one (another user's, or not at a mount point) does not.
TEST(TrashFoldersTest, HomeAndVolumeTrashesAndWhatIsInside) {
    const platform::TrashFolders trash("/home/ann/.local/share/Trash/", {"/", "/mnt/usb/"}, 1000);
    const std::tuple<const char*, bool, bool> cases[] = {
        // path, is a Trash folder, is in a Trash
        {"/home/ann/.local/share/Trash", true, true},
        {"/home/ann/.local/share/Trash/files/old.mp4", false, true},
        {"/home/ann/.local/share/Trash/info/old.mp4.trashinfo", false, true},
        {"/home/ann/.local/share/Trashcan/x", false, false},
        {"/home/ann/.local/share", false, false},
        {"/mnt/usb/.Trash-1000/files/x/y", false, true},
        {"/mnt/usb/.Trash/1000", true, true},
        {"/mnt/usb/.Trash/1000/files/x", false, true},
        {"/mnt/usb/.Trash-1001/files/x", false, false},
        {"/mnt/usb/.Trash/1001/files/x", false, false},
        {"/.Trash-1000/files/x", false, true},
        {"/mnt/usb/sub/.Trash-1000/files/x", false, false},
        {"/mnt/usb", false, false},
        {"/", false, false},
        {"relative/.Trash-1000", false, false},
    };
    for (const auto& [path, isFolder, inside] : cases) {
        EXPECT_EQ(trash.isTrashFolder(path), isFolder) << path;
        EXPECT_EQ(trash.isInTrash(path), inside) << path;
    }
    for (const char* name : {"Trash", ".Trash-1000", "1000"})
        EXPECT_TRUE(trash.hasTrashFolderName(name)) << name;
    EXPECT_FALSE(trash.hasTrashFolderName("files"));
}

TEST(TrashFoldersTest, CurrentFollowsTheDataFolderAndTheUser) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    fs::create_directories(temp.path() / "elsewhere/Trash");
    fs::create_directory_symlink(temp.path() / "elsewhere", temp.path() / "data-link");
    user.set("XDG_DATA_HOME", (temp.path() / "data-link").string());
    const auto trash = platform::TrashFolders::currentResolved();
    const std::string uid = std::to_string(getuid());
    const std::string real = platform::resolvedPath(temp.str()) + "/elsewhere/Trash/files/x";
    EXPECT_TRUE(trash.isInTrash((temp.path() / "data-link/Trash/files/x").string()));
    EXPECT_TRUE(trash.isInTrash(real));
    EXPECT_FALSE(platform::TrashFolders::current().isInTrash(real)); // text only
    EXPECT_TRUE(trash.isTrashFolder("/.Trash-" + uid));
    EXPECT_FALSE(trash.isInTrash("/.Trash-" + std::to_string(getuid() + 1) + "/files/x"));
    EXPECT_FALSE(trash.isInTrash(user.home() + "/.local/share/Trash/files/x")); // not the data folder
}

// A scan through a link spells the Trash folders below the scanned folder's text: each folder is
// listed as seen from there too, and a scan that starts inside a Trash counts as inside it.
TEST(TrashFoldersTest, SeenFromAScanThroughALink) {
    const platform::TrashFolders trash("/data/home/ann/.local/share/Trash", {"/", "/data"}, 1000);
    const auto home = trash.seenFrom("/home/ann/", "/data/home/ann");
    EXPECT_TRUE(home.isTrashFolder("/home/ann/.local/share/Trash"));
    EXPECT_TRUE(home.isInTrash("/home/ann/.local/share/Trash/files/a.iso"));
    EXPECT_FALSE(home.isInTrash("/home/ann/.local/share/Trashy/a.iso"));
    EXPECT_TRUE(home.isInTrash("/data/home/ann/.local/share/Trash/files/a.iso")); // the real spelling stays
    EXPECT_FALSE(home.isInTrash("/home/bob/.local/share/Trash/files/a.iso"));
    EXPECT_FALSE(home.isInTrash("/home/ann/.Trash-1000/x")); // not a mount point's trash

    const auto volume = trash.seenFrom("/vol", "/data");
    EXPECT_TRUE(volume.isTrashFolder("/vol/.Trash-1000"));
    EXPECT_TRUE(volume.isInTrash("/vol/.Trash/1000/files/x"));
    EXPECT_TRUE(volume.isInTrash("/vol/home/ann/.local/share/Trash/info/x.trashinfo"));

    const auto whole = trash.seenFrom("/rootlink", "/");
    EXPECT_TRUE(whole.isInTrash("/rootlink/.Trash-1000/files/x"));
    EXPECT_TRUE(whole.isInTrash("/rootlink/data/.Trash-1000/files/x"));

    const auto inside = trash.seenFrom("/home/ann/old", "/data/.Trash-1000/files");
    EXPECT_TRUE(inside.isInTrash("/home/ann/old/x"));
    EXPECT_FALSE(inside.isInTrash("/home/ann/older/x"));

    // Scanned without links, or by a relative path: nothing added.
    EXPECT_EQ(trash.seenFrom("/data/home", "/data/home").folders(), trash.folders());
    EXPECT_EQ(trash.seenFrom("home", "/data/home").folders(), trash.folders());
    EXPECT_EQ(trash.seenFrom("/home", "").folders(), trash.folders());
}

// The home folder reached through a link: what the scan of the link holds in the home trash is known
// as being in the Trash, whether $HOME names the link or the real folder.
TEST(TrashFoldersTest, ForAScanOfALinkedHome) {
    TempDir temp;
    fs::create_directories(temp.path() / "real/ann/.local/share/Trash/files");
    fs::create_directory_symlink(temp.path() / "real", temp.path() / "home");
    const std::string real = platform::resolvedPath(temp.str()) + "/real/ann";
    const std::string linked = temp.str() + "/home/ann";
    for (const std::string& home : {real, linked}) {
        EnvOverride env;
        env.set("HOME", home);
        env.set("XDG_DATA_HOME", home + "/.local/share");
        for (const std::string& scanned : {real, linked}) {
            const auto trash = platform::TrashFolders::forScan(scanned);
            EXPECT_TRUE(trash.isTrashFolder(scanned + "/.local/share/Trash")) << home << " " << scanned;
            EXPECT_TRUE(trash.isInTrash(scanned + "/.local/share/Trash/files/a.iso"))
                << home << " " << scanned;
            EXPECT_FALSE(trash.isInTrash(scanned + "/a.iso"));
        }
    }
}

TEST(TrashInfoTest, PercentEncodingAndDate) {
    EXPECT_EQ(platform::percentEncodePath("/a b/ü%#?.txt~"), "/a%20b/%C3%BC%25%23%3F.txt~");
    std::string text = platform::trashInfoText("/tmp/a b", 0);
    EXPECT_TRUE(
        std::regex_match(text, std::regex("\\[Trash Info\\]\nPath=/tmp/a%20b\n"
                                          "DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
        << text;
}

TEST_F(TrashTest, MovesFilesIntoHomeTrashWithInfoAndNewNamesOnClashes) {
    fs::path item = temp.writeFile("items/My report #1 100%.txt", 10);
    ASSERT_TRUE(trash.moveToTrash(item.string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(item)));
    std::string info = fileText(trashFolder() / "info" / "My report #1 100%.txt.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + platform::percentEncodePath(item.string()) + "\n", 0), 0u)
        << info;
    struct stat st {}; // created private when it was missing
    ASSERT_EQ(stat(trashFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A trashed item without its info file (left by a crash) still blocks its name.
    writeFileText(trashFolder() / "files" / "notes.2.tar.gz", "orphan");
    for (const char* folder : {"one", "two", "three"})
        ASSERT_TRUE(trash.moveToTrash(temp.writeFile(std::string(folder) + "/notes.tar.gz", 1).string()));
    EXPECT_EQ(fileText(trashFolder() / "files" / "notes.2.tar.gz"), "orphan");
    EXPECT_TRUE(fs::exists(trashFolder() / "files" / "notes.tar.gz"));
    EXPECT_NE(fileText(trashFolder() / "info" / "notes.3.tar.gz.trashinfo").find("/two/notes.tar.gz"),
              std::string::npos);
    EXPECT_NE(fileText(trashFolder() / "info" / "notes.4.tar.gz.trashinfo").find("/three/notes.tar.gz"),
              std::string::npos);
}

TEST_F(TrashTest, LinksFoldersAndLongNamesMoveWholeAndFailuresLeaveNoInfo) {
    fs::path target = temp.writeFile("target/data.bin", 5);
    fs::create_directory_symlink(target.parent_path(), temp.path() / "link-to-folder");
    fs::create_symlink(temp.path() / "nowhere", temp.path() / "dangling");
    temp.writeFile("proj/src/a.c", 3);
    const std::string longName(250, 'n');
    temp.writeFile(longName, 1);
    for (const std::string& name :
         {std::string("dangling"), std::string("link-to-folder"), std::string("proj"), longName})
        ASSERT_TRUE(trash.moveToTrash((temp.path() / name).string())) << name;
    EXPECT_FALSE(platform::existsNoFollow((temp.path() / "dangling").string()));
    EXPECT_EQ(fs::read_symlink(trashFolder() / "files" / "dangling"), temp.path() / "nowhere");
    EXPECT_TRUE(fs::is_symlink(trashFolder() / "files" / "link-to-folder"));
    EXPECT_TRUE(fs::exists(target)); // the folder a link pointed to is untouched
    EXPECT_TRUE(fs::exists(trashFolder() / "files" / "proj" / "src" / "a.c"));
    for (const auto& e : fs::directory_iterator(trashFolder() / "info")) {
        EXPECT_LE(e.path().filename().string().size(), 255u);
        if (e.path().filename().string().starts_with("nnn")) {
            EXPECT_NE(fileText(e.path()).find(longName),
                      std::string::npos); // the whole original path is kept
        }
    }
    // Nothing there: no move, and the reserved info file is withdrawn.
    EXPECT_FALSE(trash.moveToTrash((temp.path() / "missing").string()));
    EXPECT_FALSE(trash.moveToTrash("relative/path"));
    EXPECT_FALSE(fs::exists(trashFolder() / "info" / "missing.trashinfo"));
}

// A failed move leaves nothing behind: neither its reserved .trashinfo nor the Trash folders it made. (A
// folder cannot be renamed into itself: here, the folder that holds the home trash.)
TEST_F(TrashTest, AFailedMoveLeavesNoTrashFolderBehind) {
    ASSERT_FALSE(fs::exists(fs::symlink_status(trashFolder())));
    EXPECT_FALSE(trash.moveToTrash(user.home()));
    EXPECT_TRUE(fs::is_directory(user.dataHome()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(trashFolder())));
}

// The home's data folder missing too: the move makes it, with the Trash, and a failure takes it away
// again. The item is a small file, and the data folder is so deep that the Trash's records cannot be
// named there (longer than PATH_MAX), so the rename's turn never comes: a fault can move nothing of
// the test's own home.
TEST_F(TrashTest, AFailedMoveRemovesTheDataFolderItMade) {
    const fs::path item = temp.writeFile("items/" + std::string(200, 'i'), 1);
    const fs::path made = temp.path() / "data";
    fs::path data = made;
    while (data.string().size() < PATH_MAX - 200)
        data /= std::string(100, 'd');
    user.set("XDG_DATA_HOME", data.string());
    ASSERT_EQ(platform::dataHome(), data.string());
    ASSERT_TRUE(platform::isBelow(platform::dataHome(), temp.str()));
    ASSERT_TRUE(platform::isBelow(user.home(), temp.str()));
    ASSERT_FALSE(fs::exists(fs::symlink_status(made)));
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(item)));

    EXPECT_FALSE(trash.moveToTrash(item.string()));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(item)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(made)));
}

// The second attempt's program makes the home trash whether it moves the item or not. When the item
// stays, what it made is removed again (here a stand-in for `gio`, which cannot fail as root); what was
// there before it, and what it moved the item into, stay.
TEST_F(TrashTest, AFailedSecondAttemptLeavesNoTrashFolderBehind) {
    const fs::path program = temp.path() / "bin" / "gio";
    writeFileText(program,
                  "#!/bin/sh\n"
                  "mkdir -p \"$XDG_DATA_HOME/Trash/files\" \"$XDG_DATA_HOME/Trash/info\" || exit 1\n"
                  "[ -n \"$GIO_STAND_IN_MOVES\" ] && exec mv -- \"$3\" \"$XDG_DATA_HOME/Trash/files/\"\n"
                  "exit 2\n");
    fs::permissions(program, fs::perms::owner_all);
    user.set("PATH", program.parent_path().string() + ":/usr/bin:/bin");

    const struct {
        const char* name; // of the item too
        bool moves;
        const char* before; // made first, below the case's folder (a folder when it ends in "/")
        const char* kept;   // there afterwards
        const char* gone;   // not there afterwards
    } cases[] = {
        {"nothing", false, "share/", "share", "share/Trash"},
        {"missing-data", false, nullptr, "", "share"},
        {"older", false, "share/Trash/files/older.txt", "share/Trash/files/older.txt", "share/Trash/info"},
        {"moved", true, "share/", "share/Trash/files/moved", nullptr},
    };
    for (const auto& c : cases) {
        const fs::path base = temp.makeDir(std::string("cases/") + c.name);
        user.set("XDG_DATA_HOME", (base / "share").string());
        if (c.before && std::string_view(c.before).ends_with('/'))
            fs::create_directories(base / c.before);
        else if (c.before)
            writeFileText(base / c.before, "older");
        EnvOverride env;
        if (c.moves) env.set("GIO_STAND_IN_MOVES", "1");
        const fs::path item = temp.writeFile(std::string("items/") + c.name, 1);

        trash.secondAttempt(item.string());
        EXPECT_EQ(fs::exists(fs::symlink_status(item)), !c.moves) << c.name;
        EXPECT_TRUE(fs::exists(fs::symlink_status(base / c.kept))) << c.name;
        if (c.gone) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(base / c.gone))) << c.name;
        }
    }
}

// Names too long for the Trash's records are shortened without splitting a character, and never to
// nothing: a name made only of bytes that are not UTF-8 would otherwise become a hidden ".2".
TEST_F(TrashTest, ShortenedNamesAreNeverEmptyNorNewlyHidden) {
    std::string accents;
    for (int i = 0; i < 125; ++i)
        accents += "\xC3\xA9";
    const std::string names[] = {std::string(250, '\x80'), "a" + std::string(249, '\xBF'), accents,
                                 "." + std::string(249, 'x')};
    for (const std::string& name : names)
        ASSERT_TRUE(trash.moveToTrash(temp.writeFile(name, 1).string()));
    int hidden = 0;
    for (const auto& entry : fs::directory_iterator(trashFolder() / "files")) {
        const std::string name = entry.path().filename().string();
        EXPECT_GE(name.size(), 200u) << name;
        EXPECT_TRUE(fs::exists(trashFolder() / "info" / (name + ".trashinfo"))) << name;
        hidden += name.front() == '.';
        if (name.starts_with("\xC3\xA9")) {
            EXPECT_EQ(name.size() % 2, 0u); // whole characters
        }
    }
    EXPECT_EQ(hidden, 1); // only the one that was hidden before
}

// An item below a path longer than PATH_MAX is found, moved and recorded with its whole path.
TEST_F(TrashTest, ItemsDeeperThanThePathLimitMove) {
    const std::string deepest =
        makeFolderChain(temp.makeDir("items").string(), 22, std::string(200, 'p'), [](int fd, int level) {
            if (level == 22) writeFileAt(fd, "deep.txt", 7);
        });
    const std::string item = deepest + "/deep.txt";
    ASSERT_GT(item.size(), size_t{PATH_MAX});
    EXPECT_TRUE(platform::existsNoFollow(item));
    ASSERT_TRUE(trash.moveToTrash(item));
    EXPECT_FALSE(platform::existsNoFollow(item));
    EXPECT_EQ(fs::file_size(trashFolder() / "files" / "deep.txt"), 7u);
    EXPECT_NE(fileText(trashFolder() / "info" / "deep.txt.trashinfo").find(platform::percentEncodePath(item)),
              std::string::npos);
}

// A volume's own trash, on a file system other than the home trash's. Uses /dev/shm when it is a
// separate writable file system and leaves it as it found it.
TEST_F(TrashTest, OtherFileSystemUsesTheVolumeTrash) {
    struct stat shm {
    }, data{};
    if (stat("/dev/shm", &shm) != 0 || stat(user.dataHome().c_str(), &data) != 0 ||
        shm.st_dev == data.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no separate writable /dev/shm";
    // Other test runs on this machine may use /dev/shm at the same time: take turns.
    int lock = open("/dev/shm/brenwick-volume-trash-test.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    struct Unlock {
        int fd;
        ~Unlock() { close(fd); }
    } unlock{lock};
    const std::string uid = std::to_string(getuid());
    const fs::path shared = "/dev/shm/.Trash", own = "/dev/shm/.Trash-" + uid;
    if (fs::exists(fs::symlink_status(shared)) || fs::exists(fs::symlink_status(own)))
        GTEST_SKIP() << "/dev/shm already has a trash";
    char pattern[] = "/dev/shm/brenwick-trash-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    fs::path dir = pattern;
    writeFileText(dir / "a.txt", "a");

    ASSERT_TRUE(trash.moveToTrash((dir / "a.txt").string()));
    // Paths in a volume's trash are relative to its top folder.
    std::string info = fileText(own / "info" / "a.txt.trashinfo");
    EXPECT_NE(info.find("Path=" + dir.filename().string() + "/a.txt\n"), std::string::npos) << info;
    fs::remove_all(own);

    // A shared .Trash with the sticky bit gets a per-user folder; without it, it is not used.
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all);
    writeFileText(dir / "b.txt", "b");
    EXPECT_EQ(platform::FreedesktopTrash::trashFolderFor((dir / "b.txt").string()), own.string());
    fs::remove_all(own);
    chmod(shared.c_str(), 01777);
    EXPECT_EQ(platform::FreedesktopTrash::trashFolderFor((dir / "b.txt").string()), (shared / uid).string());
    ASSERT_TRUE(trash.moveToTrash((dir / "b.txt").string()));
    EXPECT_TRUE(fs::exists(shared / uid / "files" / "b.txt"));

    fs::remove_all(shared);
    fs::remove_all(own);
    fs::remove_all(dir);
}

// A mount point cannot be renamed into any Trash: it is refused before a Trash folder is made for it on
// the file system above it (here /dev's, for the mount point /dev/shm).
TEST_F(TrashTest, AMountPointIsRefusedWithoutMakingATrash) {
    struct stat shm {
    }, dev{};
    if (stat("/dev/shm", &shm) != 0 || stat("/dev", &dev) != 0 || shm.st_dev == dev.st_dev ||
        access("/dev", W_OK) != 0)
        GTEST_SKIP() << "no mount point below a writable folder";
    const fs::path own = "/dev/.Trash-" + std::to_string(getuid());
    if (fs::exists(fs::symlink_status(own)) || fs::exists(fs::symlink_status("/dev/.Trash")))
        GTEST_SKIP() << "/dev already has a trash";
    EXPECT_FALSE(trash.moveToTrash("/dev/shm"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(own)));
    fs::remove_all(own); // /dev stays as it was, even when the refusal came too late
    EXPECT_TRUE(fs::is_directory("/dev/shm"));
}
