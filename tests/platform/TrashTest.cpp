#include "platform/Paths.h"
#include "platform/Trash.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

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

TEST(AbsolutePathTest, NormalisesAndRefuses) {
    using platform::normalizedAbsolutePath;
    EXPECT_EQ(normalizedAbsolutePath("/x/a/"), "/x/a");
    EXPECT_EQ(normalizedAbsolutePath("//x/./a//b"), "/x/a/b");
    EXPECT_EQ(normalizedAbsolutePath("relative/a"), std::nullopt);
    EXPECT_EQ(normalizedAbsolutePath("Older"), std::nullopt); // a group node's "path"
    EXPECT_EQ(normalizedAbsolutePath(""), std::nullopt);
    EXPECT_EQ(normalizedAbsolutePath("/x/../etc"), std::nullopt);
    EXPECT_EQ(normalizedAbsolutePath("/"), std::nullopt);
    EXPECT_EQ(normalizedAbsolutePath("/x/..."), "/x/..."); // only "." and ".." are special

    EXPECT_TRUE(platform::isBelow("/x/a/b", "/x/a"));
    EXPECT_FALSE(platform::isBelow("/x/ab", "/x/a"));
    EXPECT_FALSE(platform::isBelow("/x/a", "/x/a"));

    // Text resolution for comparing places (not for moving anything).
    EXPECT_EQ(platform::standardizedPath("/a/./b/../c//"), "/a/c");
    EXPECT_EQ(platform::standardizedPath("/.."), "/");
    EXPECT_EQ(platform::standardizedPath("a/../../b"), "../b");
}

TEST(TrashInfoTest, PercentEncodingAndDate) {
    EXPECT_EQ(platform::percentEncodePath("/a b/ü%#?.txt"), "/a%20b/%C3%BC%25%23%3F.txt");
    EXPECT_EQ(platform::percentEncodePath("/plain-name_1.0~x"), "/plain-name_1.0~x");
    std::string text = platform::trashInfoText("/tmp/a b", 0);
    EXPECT_TRUE(std::regex_match(text, std::regex("\\[Trash Info\\]\nPath=/tmp/a%20b\n"
                                                  "DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
        << text;
}

TEST_F(TrashTest, MovesFileIntoHomeTrashWithInfo) {
    fs::path item = temp.writeFile("items/My report #1 100%.txt", 10);
    ASSERT_TRUE(trash.moveToTrash(item.string()));

    EXPECT_FALSE(fs::exists(fs::symlink_status(item)));
    EXPECT_EQ(fs::file_size(trashFolder() / "files" / "My report #1 100%.txt"), 10u);
    std::string info = fileText(trashFolder() / "info" / "My report #1 100%.txt.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + platform::percentEncodePath(item.string()) + "\n", 0), 0u) << info;
    EXPECT_NE(info.find("%20report%20%231%20100%25.txt"), std::string::npos) << info;

    // Created with private permissions when it was missing.
    struct stat st{};
    ASSERT_EQ(stat(trashFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(TrashTest, NameClashesTakeNewNames) {
    fs::path a = temp.writeFile("one/notes.tar.gz", 1);
    fs::path b = temp.writeFile("two/notes.tar.gz", 2);
    fs::path c = temp.writeFile("three/notes.tar.gz", 3);
    fs::create_directories(trashFolder() / "info");
    fs::create_directories(trashFolder() / "files");
    // A trashed item without its info file (left by a crash) still blocks its name.
    writeFileText(trashFolder() / "files" / "notes.2.tar.gz", "orphan");

    ASSERT_TRUE(trash.moveToTrash(a.string()));
    ASSERT_TRUE(trash.moveToTrash(b.string()));
    ASSERT_TRUE(trash.moveToTrash(c.string()));

    EXPECT_EQ(fs::file_size(trashFolder() / "files" / "notes.tar.gz"), 1u);
    EXPECT_EQ(fileText(trashFolder() / "files" / "notes.2.tar.gz"), "orphan");
    EXPECT_FALSE(fs::exists(trashFolder() / "info" / "notes.2.tar.gz.trashinfo"));
    EXPECT_EQ(fs::file_size(trashFolder() / "files" / "notes.3.tar.gz"), 2u);
    EXPECT_EQ(fs::file_size(trashFolder() / "files" / "notes.4.tar.gz"), 3u);
    EXPECT_NE(fileText(trashFolder() / "info" / "notes.4.tar.gz.trashinfo").find("/three/notes.tar.gz"),
              std::string::npos);
}

TEST_F(TrashTest, LinksAreMovedNotFollowed) {
    fs::path target = temp.writeFile("target/data.bin", 5);
    fs::path link = temp.path() / "link-to-folder";
    fs::create_directory_symlink(target.parent_path(), link);
    fs::path dangling = temp.path() / "dangling";
    fs::create_symlink(temp.path() / "nowhere", dangling);

    EXPECT_TRUE(platform::existsNoFollow(dangling.string()));
    ASSERT_TRUE(trash.moveToTrash(dangling.string()));
    ASSERT_TRUE(trash.moveToTrash(link.string()));

    EXPECT_FALSE(platform::existsNoFollow(dangling.string()));
    EXPECT_TRUE(fs::is_symlink(trashFolder() / "files" / "dangling"));
    EXPECT_EQ(fs::read_symlink(trashFolder() / "files" / "dangling"), temp.path() / "nowhere");
    EXPECT_TRUE(fs::is_symlink(trashFolder() / "files" / "link-to-folder"));
    EXPECT_TRUE(fs::exists(target)); // the folder the link pointed to is untouched
}

TEST_F(TrashTest, FolderMovesWholeAndFailuresLeaveNoInfo) {
    temp.writeFile("proj/src/a.c", 3);
    fs::path proj = temp.path() / "proj";
    ASSERT_TRUE(trash.moveToTrash(proj.string()));
    EXPECT_TRUE(fs::exists(trashFolder() / "files" / "proj" / "src" / "a.c"));

    // Nothing there: no move, and the reserved info file is withdrawn.
    EXPECT_FALSE(trash.moveToTrash((temp.path() / "missing").string()));
    EXPECT_FALSE(trash.moveToTrash("relative/path"));
    EXPECT_FALSE(fs::exists(trashFolder() / "info" / "missing.trashinfo"));
}

TEST_F(TrashTest, LongNamesStillFitWithTheirInfoFile) {
    std::string longName(250, 'n');
    fs::path item = temp.writeFile(longName, 1);
    ASSERT_TRUE(trash.moveToTrash(item.string()));
    int infos = 0;
    for (const auto& e : fs::directory_iterator(trashFolder() / "info")) {
        ++infos;
        EXPECT_LE(e.path().filename().string().size(), 255u);
        EXPECT_NE(fileText(e.path()).find(longName), std::string::npos); // the full original path is kept
    }
    EXPECT_EQ(infos, 1);
}

// A volume's own trash, on a file system other than the home trash's. Uses /dev/shm when it is a
// separate writable file system and leaves it as it found it.
TEST_F(TrashTest, OtherFileSystemUsesTheVolumeTrash) {
    struct stat shm{}, data{};
    if (stat("/dev/shm", &shm) != 0 || stat(user.dataHome().c_str(), &data) != 0 || shm.st_dev == data.st_dev ||
        access("/dev/shm", W_OK) != 0)
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

    EXPECT_EQ(platform::FreedesktopTrash::trashFolderFor((dir / "a.txt").string()), own.string());
    ASSERT_TRUE(trash.moveToTrash((dir / "a.txt").string()));
    struct stat st{};
    ASSERT_EQ(lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
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
