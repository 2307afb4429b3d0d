#include "platform/PictureWorker.h"

#include "platform/PictureProtocol.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
namespace protocol = picture_protocol;

// A descriptor of the worker's own onto the regular file open at `file`: a new open file description of
// the same inode, so the worker's reads never move the caller's offset. Never reopened by path.
int reopened(int file) {
    struct stat was {};
    if (::fstat(file, &was) != 0 || !S_ISREG(was.st_mode)) return -1;
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", file);
    const int own = ::open(link, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (own < 0) return -1;
    struct stat is {};
    if (::fstat(own, &is) != 0 || !S_ISREG(is.st_mode) || is.st_dev != was.st_dev ||
        is.st_ino != was.st_ino) {
        ::close(own);
        return -1;
    }
    return own;
}

// The process's resident bytes, 0 when it cannot be read.
int64_t residentBytes(pid_t pid) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/statm", int(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[128] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    long long size = 0, resident = 0;
    if (got <= 0 || std::sscanf(text, "%lld %lld", &size, &resident) != 2) return 0;
    return resident * int64_t(::sysconf(_SC_PAGESIZE));
}

// Whether the worker gets the variable `name` of this process's environment: the locale, the folders
// fontconfig and Qt look in, and the sanitizers' options in their builds; never the display's, the
// session bus's or an agent's address, nor anything secret. A trailing '*' stands for any ending.
bool keptForWorker(std::string_view name) {
    static constexpr std::string_view kKept[] = {
        "HOME",           "LANG",          "LANGUAGE",        "LC_*",
        "XDG_DATA_HOME",  "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
        "XDG_CACHE_HOME", "FONTCONFIG_*",  "QT_PLUGIN_PATH"};
#ifdef BRENWICK_SANITIZED
    static constexpr std::string_view kSanitizers[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS",
                                                       "TSAN_OPTIONS"};
    if (std::ranges::find(kSanitizers, name) != std::end(kSanitizers)) return true;
#endif
    return std::ranges::any_of(kKept, [&](std::string_view kept) {
        return kept.ends_with('*') ? name.starts_with(kept.substr(0, kept.size() - 1)) : name == kept;
    });
}

// The environment the worker is started with: what it keeps of ours.
std::vector<char*> workerEnvironment() {
    std::vector<char*> kept;
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view entry = *variable;
        const size_t equals = entry.find('=');
        if (equals != std::string_view::npos && keptForWorker(entry.substr(0, equals)))
            kept.push_back(*variable);
    }
    kept.push_back(nullptr);
    return kept;
}

} // namespace

PictureWorker::PictureWorker(Limits limits, std::string program)
    : limits_(limits), program_(std::move(program)) {}

PictureWorker::~PictureWorker() {
    end();
}

std::string PictureWorker::besideThisProgram() {
    std::array<char, 4096> self{};
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) return {};
    std::string path(self.data(), size_t(length));
    path.erase(path.rfind('/') + 1);
    return path + "brenwick-picture-worker";
}

void PictureWorker::end() {
    std::lock_guard lock(mutex_);
    if (busy_) {
        // The decode under way sees it at once and reaps.
        ended_ = true;
        if (pid_ > 0) ::kill(pid_, SIGKILL);
    } else if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        reapLocked();
    }
}

void PictureWorker::reapLocked() {
    if (pid_ > 0) {
        // Whatever the worker started goes with it; its group lives on until it is reaped.
        ::kill(-pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = 0;
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
}

void PictureWorker::startAhead() {
    std::lock_guard lock(mutex_);
    if (pid_ == 0 && !busy_) launchLocked();
}

void PictureWorker::launchLocked() {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    // An icon's answer (256 KiB) fits in one send: the worker is never woken midway.
    const int room = 1 << 20;
    ::setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    // The worker gets its end as descriptor 3 and nothing else of ours; it prints nothing we want (but a
    // sanitizer's report), and our terminal is none of its business.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], protocol::kWorkerSocket);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
#ifndef BRENWICK_SANITIZED
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
#endif
    posix_spawn_file_actions_addclosefrom_np(&actions, protocol::kWorkerSocket + 1);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    // A session of its own: no controlling terminal, and a process group that ends with it.
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    std::string memory = std::to_string(limits_.memory);
    char* argv[] = {const_cast<char*>(program_.c_str()), const_cast<char*>("--memory"), memory.data(),
                    nullptr};
    pid_t pid = 0;
    const std::vector<char*> environment = workerEnvironment();
    const int spawned =
        ::posix_spawn(&pid, program_.c_str(), &actions, &attributes, argv, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        return;
    }
    pid_ = pid;
    socket_ = ends[0];
    ready_ = false;
}

bool PictureWorker::waitForAnswer(Clock::time_point deadline, Clock::time_point& nextLook,
                                  const std::stop_token& stop) const {
    for (;;) {
        if (ended_ || stop.stop_requested()) return false;
        const auto now = Clock::now();
        if (now >= deadline) return false;
        // Watched in every build (where the sanitizers reserve terabytes, the only watch) on a clock of its
        // own: a worker that trickles bytes is looked at all the same, one that answers at once is not.
        if (now >= nextLook) {
            if (residentBytes(pid_) > limits_.memory) return false;
            nextLook = now + std::chrono::milliseconds(kWatchMs);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::min(deadline, nextLook) - now);
        pollfd ready{socket_, POLLIN, 0};
        // A worker that dies, or is killed, wakes the poll at once: its end of the socket closes.
        const int polled = ::poll(&ready, 1, int(std::clamp<int64_t>(left.count(), 1, kWatchMs)));
        if (polled > 0) return true;
        if (polled < 0 && errno != EINTR) return false;
    }
}

bool PictureWorker::goneLocked() const {
    // Until it is ready its ready byte may be waiting; a ready worker, idle, has nothing to say.
    pollfd look{socket_, short(POLLIN | POLLRDHUP), 0};
    if (::poll(&look, 1, 0) <= 0) return false;
    return (look.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)) || (ready_ && (look.revents & POLLIN));
}

QImage PictureWorker::decode(int file, const PictureRequest& request, std::stop_token stop) {
    const int own = reopened(file);
    if (own < 0) return {};
    {
        std::lock_guard lock(mutex_);
        busy_ = true;
        ended_ = false;
        if (pid_ > 0 && goneLocked()) {
            ::kill(pid_, SIGKILL);
            reapLocked();
        }
        if (pid_ == 0) launchLocked();
    }
    std::optional<QImage> answer;
    {
        std::stop_callback onStop(stop, [this] { end(); });
        auto nextLook = Clock::now() + std::chrono::milliseconds(kWatchMs);
        if (pid_ > 0 && !ready_) {
            ready_ = protocol::receiveReady(socket_, guards_, [&, deadline = Clock::now() + limits_.start] {
                return waitForAnswer(deadline, nextLook, stop);
            });
        }
        if (ready_ && !ended_ && protocol::sendAsk(socket_, own, request)) {
            answer = protocol::receiveAnswer(socket_, request, [&, deadline = Clock::now() + limits_.time] {
                return waitForAnswer(deadline, nextLook, stop);
            });
        }
    }
    ::close(own);
    std::lock_guard lock(mutex_);
    busy_ = false;
    if (!answer || ended_) {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        reapLocked();
        return {};
    }
    return *answer;
}

} // namespace platform
