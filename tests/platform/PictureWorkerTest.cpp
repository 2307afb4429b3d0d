// The picture worker's life as the application sees it, and the sandbox it draws in.
#include "platform/PictureWorker.h"
#include "platform/pictures/Sandbox.h"
#include "tests/support/ChildProcesses.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/PreviewFiles.h"
#include "tests/support/StuckReads.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <future>
#include <thread>

using namespace platform;
using namespace std::chrono_literals;

namespace {

constexpr PictureRequest kRequest{.longestSide = 4096, .bounds = {.svgBytes = 1 << 20, .svgElements = 1000}};

// Decodes `path` with `worker`, doing `meanwhile` once the worker process runs; the picture must come
// within a generous watchdog (a worker left to draw takes minutes).
QImage decodeWhile(PictureWorker& worker, const std::string& path,
                   const std::function<void()>& meanwhile = {}, std::stop_token stop = {}) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(file, 0) << path;
    auto picture = std::async(std::launch::async, [&] { return worker.decode(file, kRequest, stop); });
    if (meanwhile) {
        while (worker.pid() == 0 && picture.wait_for(1ms) == std::future_status::timeout) {
        }
        meanwhile();
    }
    if (picture.wait_for(30s) != std::future_status::ready) {
        ADD_FAILURE() << "the worker was not ended";
        worker.end();
    }
    const QImage image = picture.get();
    ::close(file);
    return image;
}

// Whatever ends a worker, the caller gets "not drawable", no process is left (not even a zombie), and the
// next request is drawn by a new worker.
TEST(PictureWorker, EndedWhenStoppedOverBudgetOrMemoryCrashedOrTalkingNonsenseAndTheNextRequestIsDrawn) {
    TempDir dir;
    const std::string blue = writeText(dir, "blue.svg", svgText());
    const std::string slow = writeText(dir, "slow.svg", svgDashedPolygon());
    const std::string growing = writeText(dir, "growing.svg", svgDashedZigZag());
    const int64_t memory = 400 << 20;
    PictureWorker worker({.time = 3s, .memory = memory});
    PictureWorker roomy({.time = 10min, .memory = memory}); // only its memory or a signal ends it
    std::stop_source stop;
    const struct {
        const char* what;
        PictureWorker& worker;
        std::string path;
        std::function<void()> meanwhile;
    } cases[] = {
        {"stopped", roomy, slow, [&] { stop.request_stop(); }},
        {"over budget", worker, slow, {}},
        {"over memory", roomy, growing, {}},
        {"crashed", roomy, slow, [&] { ::kill(roomy.pid(), SIGSEGV); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        stop = std::stop_source();
        EXPECT_TRUE(decodeWhile(c.worker, c.path, c.meanwhile, stop.get_token()).isNull());
        EXPECT_EQ(c.worker.pid(), 0);
        EXPECT_TRUE(childProcesses().empty()) << "a process left, or a zombie";
        const QImage next = decodeWhile(c.worker, blue);
        EXPECT_EQ(next.size(), QSize(48, 48));
        EXPECT_EQ(next.pixelColor(24, 24), QColor(Qt::blue));
        EXPECT_GT(c.worker.pid(), 0) << "a worker serves the next request";
        c.worker.end();
    }
    // The growing drawing was ended near its limit, not at its budget.
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(int64_t(children.ru_maxrss) * 1024, memory + (100 << 20));

    // A program that answers nonsense: junk, or a picture larger than asked.
    const std::string junk = dir.str() + "/junk";
    for (const char* answer : {"printf 'not a picture at all' >&3",
                               "printf '1APB\\006\\0\\0\\0\\210\\023\\0\\0\\001\\0\\0\\0' >&3"}) {
        SCOPED_TRACE(answer);
        writeFileText(junk, std::string("#!/bin/sh\nprintf R >&3\n") + answer + "\nexec sleep 60\n");
        ::chmod(junk.c_str(), 0700);
        PictureWorker talker({.time = 10min}, junk);
        EXPECT_TRUE(decodeWhile(talker, blue).isNull());
        EXPECT_TRUE(childProcesses().empty());
    }
}

// Once sandboxed, a process reads what lies beneath the folders it was given and opens nothing else:
// no file of the user's, no FIFO (a reader would wait on it for ever), nothing to write.
TEST(Sandbox, AProcessSandboxedToReadingUsrOpensNothingElse) {
    if (landlockAbi() == 0) GTEST_SKIP() << "the kernel has no Landlock";
    TempDir dir;
    const std::string mine = writeText(dir, "mine.txt", "the user's\n");
    const PlantedFifo fifo(dir.path() / "pipe");
    const std::string pipe = dir.str() + "/pipe", made = dir.str() + "/made.txt";
    const pid_t child = ::fork();
    if (child == 0) {
        if (sandboxToReading({"/usr"}) != Sandboxed::yes) ::_exit(1);
        const int usr = ::open("/usr/bin/env", O_RDONLY | O_CLOEXEC);
        char byte;
        int failed = usr >= 0 && ::read(usr, &byte, 1) == 1 ? 0 : 2;
        failed |= ::open(mine.c_str(), O_RDONLY | O_CLOEXEC) < 0 && errno == EACCES ? 0 : 4;
        failed |= ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) < 0 && errno == EACCES ? 0 : 8;
        failed |= ::open(made.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600) < 0 ? 0 : 16;
        failed |= ::open("/usr/bin/env", O_WRONLY | O_CLOEXEC) < 0 ? 0 : 32;
        ::_exit(failed);
    }
    ASSERT_GT(child, 0);
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not sandboxed, 2: /usr unread, 4: a file, 8: a FIFO opened, "
                                         "16: a file made, 32: /usr written";
    EXPECT_FALSE(std::filesystem::exists(made));
}

} // namespace
