#include "platform/LongPath.h"
#include "tests/support/DeepFolders.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

// Paths beyond PATH_MAX, absolute or relative to an open folder, open as any other; what is not there
// says so.
TEST(LongPath, OpensAndStatsBeyondThePathLimit) {
    TempDir temp;
    const std::string name(120, 'l');
    const std::string deepest = makeFolderChain(temp.str(), 70, name, [](int fd, int level) {
        if (level == 70) writeFileAt(fd, "end.txt", 9);
    });
    ASSERT_GT(deepest.size(), size_t{2 * PATH_MAX}); // more than one piece below the limit

    int fd = platform::openAnyLength(AT_FDCWD, (deepest + "/end.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << errno;
    struct stat st {};
    ASSERT_EQ(fstat(fd, &st), 0);
    EXPECT_EQ(st.st_size, 9);
    close(fd);

    int top = open(temp.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::string relative = deepest.substr(temp.str().size() + 1);
    fd = platform::openAnyLength(top, relative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << errno;
    if (fd >= 0) close(fd);
    EXPECT_EQ(platform::openAnyLength(top, (relative + "/missing").c_str(), O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    const std::string gone = relative.substr(0, 3000) + "x" + relative.substr(3000);
    EXPECT_EQ(platform::openAnyLength(top, gone.c_str(), O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
    close(top);

    platform::PathAt at(deepest + "/end.txt");
    ASSERT_EQ(fstatat(at.folder(), at.name(), &st, AT_SYMLINK_NOFOLLOW), 0);
    EXPECT_EQ(st.st_size, 9);
    platform::PathAt missing(deepest + "x/end.txt");
    EXPECT_EQ(missing.folder(), -1);
    EXPECT_EQ(missing.folderError(), ENOENT);
    platform::PathAt tooLong("/" + std::string(PATH_MAX, 'z'));
    EXPECT_NE(fstatat(tooLong.folder(), tooLong.name(), &st, 0), 0);
}
