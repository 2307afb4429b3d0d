#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The real application, started as its own process over a home folder of the test's, with the test's
// stand-in user (tests/driver/TestUser.cpp) and slow Trash renames (tests/driver/SlowTrashRenames.cpp).
class RunningApp {
  public:
    // What it prints goes to `output`.
    RunningApp(const fs::path& home, const fs::path& log, const fs::path& output) {
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::vector<std::string> env = {
            // The preloaded library comes before the sanitizers' runtime.
            std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : "") + "verify_asan_link_order=0",
            "LD_PRELOAD=" BRENWICK_SLOW_TRASH,
            "QT_QPA_PLATFORM=offscreen",
            "QT_PLUGIN_PATH=" BRENWICK_TEST_PLUGINS,
            "QT_QPA_GENERIC_PLUGINS=brenwick-test-user",
            "BRENWICK_TEST_USER_LOG=" + log.string(),
            "BRENWICK_SCAN=" + home.string(),
            "HOME=" + home.string(),
            "XDG_DATA_HOME=" + (home / ".local/share").string(),
            "XDG_CONFIG_HOME=" + (home / ".config").string(),
            "XDG_CACHE_HOME=" + (home / ".cache").string()};
        for (char** e = environ; *e; ++e) {
            const std::string_view entry = *e, name = entry.substr(0, entry.find('=') + 1);
            if (std::none_of(env.begin(), env.end(),
                             [&](const std::string& own) { return own.starts_with(name); }))
                env.emplace_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        // As a desktop starts it: the quit signals at their default actions, none blocked.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        for (int number : {SIGTERM, SIGHUP, SIGINT})
            sigaddset(&signals, number);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        char program[] = BRENWICK_APP;
        char* argv[] = {program, nullptr};
        if (posix_spawn(&pid_, program, &files, &attributes, argv, envp.data()) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);
    }
    ~RunningApp() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return pid_ > 0; }
    void signal(int number) const { kill(pid_, number); }
    // The status once the process has ended, within `limit`; nothing while it runs.
    std::optional<int> status(std::chrono::milliseconds limit = 0ms) {
        for (auto end = std::chrono::steady_clock::now() + limit; !status_;) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
            if (status_ || std::chrono::steady_clock::now() >= end) break;
            std::this_thread::sleep_for(20ms);
        }
        return status_;
    }

  private:
    pid_t pid_ = 0;
    std::optional<int> status_;
};

// The Trash's "Path=" of each .trashinfo whose item is in the Trash's files.
std::set<std::string> trashedPaths(const fs::path& trash) {
    std::set<std::string> paths;
    std::error_code error;
    for (const auto& info : fs::directory_iterator(trash / "info", error)) {
        if (!fs::exists(fs::symlink_status(trash / "files" / info.path().stem()))) continue;
        const std::string text = fileText(info.path());
        const size_t at = text.find("\nPath=");
        if (at != std::string::npos) paths.insert(text.substr(at + 6, text.find('\n', at + 1) - at - 6));
    }
    return paths;
}

// The quit of the executable itself, as a session's end or a terminal asks for it: a move of twenty
// folders to the Trash is confirmed, each rename slowed, and a signal comes 0.3 s into it. The first
// signal quits as closing the window does: the move completes, each item with its .trashinfo, and the
// status is 0. A second signal, while the quit waits for the move, ends the process at once.
TEST(ApplicationQuit, ASignalDuringAConfirmedMoveQuitsAsClosingTheWindowDoes) {
    struct Row {
        int signal;
        bool twice;
    };
    for (const Row row : {Row{SIGTERM, false}, Row{SIGHUP, false}, Row{SIGINT, false}, Row{SIGTERM, true}}) {
        SCOPED_TRACE(std::string(strsignal(row.signal)) + (row.twice ? ", twice" : ""));
        TempDir dir;
        const fs::path home = dir.path() / "home", log = dir.path() / "user.log",
                       output = dir.path() / "app.log";
        std::set<std::string> items;
        for (int i = 0; i < 20; ++i) {
            const fs::path item = home / ("projects/p" + std::to_string(i)) / "node_modules";
            writeFileText(item / "index.js", "module.exports = {};\n");
            items.insert(item.string());
        }
        RunningApp app(home, log, output);
        ASSERT_TRUE(app.started());
        const auto printed = [&] { return "\nit printed:\n" + fileText(output); };
        const auto end = std::chrono::steady_clock::now() + 120s;
        while (fileText(log).find("confirmed") == std::string::npos && !app.status()) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "the stand-in user got as far as:\n"
                                                             << fileText(log) << printed();
            std::this_thread::sleep_for(50ms);
        }
        ASSERT_FALSE(app.status()) << "ended before the move was confirmed" << printed();
        std::this_thread::sleep_for(300ms);
        app.signal(row.signal);
        if (row.twice) {
            std::this_thread::sleep_for(300ms);
            ASSERT_FALSE(app.status()) << "the first signal did not wait for the move" << printed();
            app.signal(row.signal);
        }

        const std::optional<int> status = app.status(120s);
        ASSERT_TRUE(status) << "still running";
        if (row.twice) {
            EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == row.signal) << *status << printed();
            continue;
        }
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status << printed();
        std::vector<std::string> left;
        for (const std::string& item : items)
            if (fs::exists(fs::symlink_status(item))) left.push_back(item);
        EXPECT_EQ(left, std::vector<std::string>{});
        EXPECT_EQ(trashedPaths(home / ".local/share/Trash"), items);
    }
}

} // namespace
