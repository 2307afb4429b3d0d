#include "platform/ThreadDescriptors.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

namespace {

size_t openDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

} // namespace

// A worker with a table of its own keeps standard error, sees none of the process's other descriptors,
// and what it opens and leaves open neither shows in the process's table nor outlives the worker.
TEST(ThreadDescriptorsTest, AWorkersOwnDescriptorsStayItsOwn) {
    int shared = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(shared, 3);
    const size_t before = openDescriptors();
    bool own = false, keepsStandardError = false, seesShared = true;
    int opened = -1;
    struct stat worker {};
    std::thread([&] {
        own = platform::useOwnDescriptorTable();
        keepsStandardError = fcntl(STDERR_FILENO, F_GETFD) != -1;
        seesShared = fcntl(shared, F_GETFD) != -1;
        opened = open("/dev/null", O_RDONLY | O_CLOEXEC); // left open on purpose
        fstat(opened, &worker);
    }).join();
    ASSERT_TRUE(own);
    EXPECT_TRUE(keepsStandardError);
    EXPECT_FALSE(seesShared);
    ASSERT_GE(opened, 0);
    struct stat here {};
    const bool sameFileHere =
        fstat(opened, &here) == 0 && here.st_dev == worker.st_dev && here.st_ino == worker.st_ino;
    EXPECT_FALSE(sameFileHere);
    EXPECT_EQ(openDescriptors(), before);
    close(shared);
}
