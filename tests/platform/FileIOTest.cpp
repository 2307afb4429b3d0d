#include "platform/FileIO.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

// Files the application keeps for itself are read only when they are what they should be: a FIFO
// planted in their place would block the read forever, a link to /dev/zero would never end it.
TEST(RegularFile, OnlyRegularFilesWithinTheLimitAreRead) {
    TempDir temp;
    writeFileText(temp.path() / "plain", "[1,2]");
    writeFileText(temp.path() / "eight", "12345678");
    writeFileText(temp.path() / "nine", "123456789");
    ASSERT_EQ(::mkfifo((temp.path() / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", temp.path() / "zeros");
    fs::create_symlink(temp.path() / "plain", temp.path() / "link");
    fs::create_directory(temp.path() / "folder");
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"plain", "[1,2]"},      {"eight", "12345678"},  {"nine", std::nullopt},   {"fifo", std::nullopt},
        {"zeros", std::nullopt}, {"link", std::nullopt}, {"folder", std::nullopt}, {"missing", std::nullopt},
    };
    for (const auto& [name, content] : cases)
        EXPECT_EQ(platform::readRegularFile((temp.path() / name).string(), 8), content) << name;
}

// The user's configuration may be a link to a regular file; what it leads to must still be one.
TEST(RegularFile, FollowingLinksStillReadsOnlyRegularFilesWithinTheLimit) {
    TempDir temp;
    writeFileText(temp.path() / "plain", "[1,2]");
    writeFileText(temp.path() / "nine", "123456789");
    ASSERT_EQ(::mkfifo((temp.path() / "fifo").c_str(), 0600), 0);
    fs::create_directory(temp.path() / "folder");
    for (const char* target : {"plain", "nine", "fifo", "folder", "missing"})
        fs::create_symlink(temp.path() / target, temp.path() / (std::string("to-") + target));
    fs::create_symlink("/dev/zero", temp.path() / "to-zeros");
    fs::create_symlink(temp.path() / "to-plain", temp.path() / "to-to-plain");
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"plain", "[1,2]"},         {"to-plain", "[1,2]"},     {"to-to-plain", "[1,2]"},
        {"to-nine", std::nullopt},  {"to-fifo", std::nullopt}, {"to-folder", std::nullopt},
        {"to-zeros", std::nullopt}, {"fifo", std::nullopt},    {"to-missing", std::nullopt},
    };
    for (const auto& [name, content] : cases)
        EXPECT_EQ(platform::readRegularFile((temp.path() / name).string(), 8, platform::Links::follow),
                  content)
            << name;
}
