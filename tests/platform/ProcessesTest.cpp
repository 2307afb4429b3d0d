#include "platform/Processes.h"
#include "platform/ProcFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>
#include <tuple>

using platform::ProcessInstance;
using platform::SystemProcesses;

namespace fs = std::filesystem;

namespace {

// A fake /proc entry for one process, started at tick 1000 + pid.
void addProcess(const fs::path& proc, int pid, unsigned uid, const std::string& exe,
                const std::string& environ, char state = 'S') {
    fs::path dir = proc / std::to_string(pid);
    writeFileText(dir / "stat", std::to_string(pid) + " (x) " + state +
                                    " 1 1 1 0 -1 4194560 0 0 0 0 5 3 0 0 20 0 1 0 " +
                                    std::to_string(1000 + pid) + " 1000 100\n");
    writeFileText(dir / "status", "Name:\tx\nState:\tS\nUid:\t" + std::to_string(uid) + "\t0\t0\t0\n");
    writeFileText(dir / "environ", environ);
    if (!exe.empty()) fs::create_symlink(exe, dir / "exe");
}

// Polls `done` for up to 10 s.
bool eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

// A "sleep 600" started as `program` with `env` (ignoring SIGTERM if asked); killed and reaped at the end.
struct Child {
    Child(const std::string& program, std::vector<std::string> env, bool ignoreTerm) {
        std::vector<char*> argv = {const_cast<char*>("sleep"), const_cast<char*>("600"), nullptr}, envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            if (ignoreTerm) ::signal(SIGTERM, SIG_IGN);
            ::execve(program.c_str(), argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Child() {
        if (pid <= 0 || status >= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    // The signal that ended it.
    int reap() { return ::waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) ? WTERMSIG(status) : 0; }
    // Its instance of `appImage`, once it has exec'd and can be found.
    std::vector<ProcessInstance> find(SystemProcesses& processes, const std::string& appImage) const {
        std::vector<ProcessInstance> found;
        eventually(
            [&] { return !(found = processes.runningInstances(appImage)).empty() && found[0].pid == pid; });
        return found;
    }
    pid_t pid = -1;
    int status = -1;
};

} // namespace

TEST(ProcStat, ParsesNamesWithSpacesAndParentheses) {
    auto st = platform::parseProcStat(
        "42 (a) b (c)) R 7 42 42 0 -1 2097216 0 0 0 0 150 25 0 0 20 0 1 0 987654 1 2\n");
    ASSERT_TRUE(st);
    EXPECT_EQ(st->comm, "a) b (c)");
    EXPECT_EQ(std::make_tuple(st->pid, st->state, st->ppid, st->utime, st->stime, st->startTime, st->rss,
                              st->isKernelThread()),
              std::make_tuple(42, 'R', 7, uint64_t{150}, uint64_t{25}, uint64_t{987654}, uint64_t{2}, true));
    EXPECT_FALSE(platform::parseProcStat("42 (x) R 7"));
    EXPECT_FALSE(platform::parseProcStat("x (y) R 1 1 1 0 -1 0 0 0 0 0 1 1 0 0 20 0 1 0 5"));
}

TEST(Processes, FindsTheUsersProcessesByExecutableOrAppImageVariable) {
    TempDir dir;
    fs::path proc = dir.makeDir("proc");
    std::string app = dir.writeFile("Applications/Editor.AppImage", 10).string();
    fs::create_symlink(app, dir.path() / "Linked.AppImage");
    const unsigned uid = ::getuid();
    addProcess(proc, 100, uid, app, "A=1");
    addProcess(proc, 101, uid, "/usr/bin/editor-helper",
               std::string("A=1\0APPIMAGE=", 13) + app + std::string("\0B=2", 4));
    addProcess(proc, 102, uid + 1, app, "");                                  // another user's
    addProcess(proc, static_cast<int>(::getpid()), uid, app, "");             // Brenwick itself
    addProcess(proc, 104, uid, app, "", 'Z');                                 // already ended
    addProcess(proc, 105, uid, "/usr/bin/other", "APPIMAGE=" + app + ".old"); // another AppImage
    addProcess(proc, 106, uid, "/usr/bin/other", "APPIMAGE=" + (dir.path() / "Linked.AppImage").string());
    fs::create_directories(proc / "107"); // vanished
    fs::create_directories(proc / "self");

    SystemProcesses processes(proc.string());
    auto found = processes.runningInstances(app);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], (ProcessInstance{100, 1100}));
    EXPECT_EQ(found[1], (ProcessInstance{101, 1101}));
    EXPECT_EQ(found[2].pid, 106); // through a link to the same file
    EXPECT_TRUE(processes.runningInstances("").empty());

    EXPECT_FALSE(processes.isTerminated({100, 1100}));
    EXPECT_TRUE(processes.isTerminated({100, 999}));  // the pid now belongs to another process
    EXPECT_TRUE(processes.isTerminated({104, 1104})); // zombie
    EXPECT_TRUE(processes.isTerminated({107, 0}));
}

TEST(Processes, QuitsARealInstanceAndForcesOneThatIgnoresTheRequest) {
    const std::string sleep = ::access("/usr/bin/sleep", X_OK) == 0 ? "/usr/bin/sleep" : "/bin/sleep";
    TempDir dir;
    SystemProcesses processes;

    // An AppImage that is a copy of sleep, found through /proc/PID/exe.
    fs::path app = dir.path() / "Sleeper.AppImage";
    fs::copy_file(sleep, app);
    Child polite(app.string(), {"PATH=/usr/bin:/bin"}, false);
    auto found = polite.find(processes, app.string());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(processes.isTerminated(found[0]));
    processes.terminate(found[0]);
    ASSERT_TRUE(eventually([&] { return processes.isTerminated(found[0]); }));
    EXPECT_EQ(polite.reap(), SIGTERM);

    // A process whose environment names the AppImage, and which ignores SIGTERM.
    fs::path other = dir.writeFile("Stubborn.AppImage", 4);
    Child stubborn(sleep, {"APPIMAGE=" + other.string()}, true);
    found = stubborn.find(processes, other.string());
    ASSERT_EQ(found.size(), 1u);
    processes.terminate(found[0]);
    EXPECT_FALSE(processes.isTerminated(found[0])); // an ignored signal is discarded when sent
    processes.forceTerminate(found[0]);
    ASSERT_TRUE(eventually([&] { return processes.isTerminated(found[0]); }));
    EXPECT_EQ(stubborn.reap(), SIGKILL);

    // Brenwick is never among the instances, even of its own executable.
    auto self = fs::read_symlink("/proc/self/exe").string();
    for (const auto& instance : processes.runningInstances(self))
        EXPECT_NE(instance.pid, ::getpid());
}
