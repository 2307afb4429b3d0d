// The picture worker's life as the application sees it, and the sandbox it draws in.
#include "platform/PictureWorker.h"
#include "platform/PictureWorkers.h"
#include "platform/pictures/Sandbox.h"
#include "tests/plugins/GuardProbe.h"
#include "tests/support/ChildProcesses.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/PreviewFiles.h"
#include "tests/support/StuckReads.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

using namespace platform;
using namespace std::chrono_literals;

namespace {

constexpr PictureRequest kRequest{.longestSide = 4096,
                                  .bounds = {.svgBytes = 1 << 20, .svgElements = 1000, .jpegScans = 64}};

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

    // A program that answers nonsense: junk, a picture larger than asked, a format outside the wire's; or
    // a picture of 4096 x 4096 whose pixels trickle, so that the socket is never quiet for long and the
    // answer never whole: held to the deadline, and to the memory limit (any process is past 64 KiB).
    const std::string junk = dir.str() + "/junk";
    const std::string trickle = "printf '1APB\\006\\0\\0\\0\\0\\020\\0\\0\\0\\020\\0\\0' >&3\n"
                                "while :; do printf x >&3; sleep 0.005; done";
    const struct {
        const char* what;
        std::string answer;
        PictureWorker::Limits limits;
    } talkers[] = {
        {"junk", "printf 'not a picture at all' >&3", {.time = 10min}},
        {"too large", "printf '1APB\\006\\0\\0\\0\\210\\023\\0\\0\\001\\0\\0\\0' >&3", {.time = 10min}},
        {"format 999", "printf '1APB\\347\\003\\0\\0\\001\\0\\0\\0\\001\\0\\0\\0' >&3", {.time = 10min}},
        {"trickling past the deadline", trickle, {.time = 1s}},
        {"trickling past the memory limit", trickle, {.time = 10min, .memory = 64 << 10}},
    };
    for (const auto& t : talkers) {
        SCOPED_TRACE(t.what);
        writeFileText(junk, "#!/bin/sh\nprintf '1RPB\\0\\0\\0\\0\\0\\0\\0\\0' >&3\n" + t.answer +
                                "\nexec sleep 60\n");
        ::chmod(junk.c_str(), 0700);
        PictureWorker talker(t.limits, junk);
        EXPECT_TRUE(decodeWhile(talker, blue).isNull());
        EXPECT_TRUE(childProcesses().empty());
    }
}

// A worker that died between requests, or before its first, is replaced for the next request, which is
// drawn.
TEST(PictureWorker, AWorkerThatDiedWhileIdleIsReplacedAndTheNextRequestDrawn) {
    TempDir dir;
    const std::string blue = writeText(dir, "blue.svg", svgText());
    for (const bool ahead : {false, true}) {
        SCOPED_TRACE(ahead ? "started ahead" : "after a picture");
        PictureWorker worker({.time = 10min});
        if (ahead)
            worker.startAhead();
        else
            EXPECT_FALSE(decodeWhile(worker, blue).isNull());
        const pid_t idle = worker.pid();
        ASSERT_GT(idle, 0);
        ::kill(idle, SIGKILL);
        siginfo_t died{};
        ::waitid(P_PID, id_t(idle), &died, WEXITED | WNOWAIT); // every thread gone, not yet reaped
        const QImage next = decodeWhile(worker, blue);
        EXPECT_EQ(next.size(), QSize(48, 48));
        EXPECT_NE(worker.pid(), idle);
        worker.end();
        EXPECT_TRUE(childProcesses().empty());
    }
}

// The application may die while its worker draws for minutes: the worker then ends too. The application
// here is a child of the test, gone after 2 s.
TEST(PictureWorker, EndsWhenTheApplicationDiesWhileItDraws) {
    TempDir dir;
    const std::string slow = writeText(dir, "slow.svg", svgDashedPolygon());
    const int file = ::open(slow.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(file, 0);
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    const pid_t application = ::fork();
    if (application == 0) {
        PictureWorker worker({.time = 10min});
        worker.startAhead();
        const pid_t pid = worker.pid();
        if (::write(report[1], &pid, sizeof pid) != sizeof pid) ::_exit(1);
        ::signal(SIGALRM, [](int) { ::_exit(0); });
        ::alarm(2);
        worker.decode(file, kRequest);
        ::_exit(1);
    }
    ASSERT_GT(application, 0);
    ::close(report[1]);
    pid_t worker = 0;
    EXPECT_EQ(::read(report[0], &worker, sizeof worker), ssize_t(sizeof worker));
    ::close(report[0]);
    ::close(file);
    int status = -1;
    ASSERT_EQ(::waitpid(application, &status, 0), application);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "still drawing at 2 s";
    ASSERT_GT(worker, 0);
    // Gone, or a zombie of whoever inherited it.
    const auto until = std::chrono::steady_clock::now() + 10s;
    auto running = [&] { return processState(worker) != '\0' && processState(worker) != 'Z'; };
    while (running() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(running()) << "the worker draws on for nobody";
    if (running()) ::kill(worker, SIGKILL);
}

size_t openDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Previews take a worker each, icons share the pool's, one for each thread decoding at once; neither keeps
// a descriptor of the application's once its worker has ended. endAll ends a busy worker too: its decode
// returns null at once, and no process is left.
TEST(PictureWorkers, AWorkerPerThreadDecodingNoDescriptorKeptAndEveryOneEndedByEndAll) {
    TempDir dir;
    const std::string blue = writeText(dir, "blue.svg", svgText());
    const std::string slow = writeText(dir, "slow.svg", svgDashedPolygon());
    const size_t before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        PictureWorker preview({.time = 10min});
        EXPECT_FALSE(decodeWhile(preview, blue).isNull());
    }
    PictureWorkers icons({.time = 10min});
    auto tenIcons = [&] {
        for (int i = 0; i < 10; ++i) {
            const int file = ::open(blue.c_str(), O_RDONLY | O_CLOEXEC);
            EXPECT_FALSE(icons.decode(file, kRequest).isNull());
            ::close(file);
        }
    };
    std::thread other(tenIcons);
    tenIcons();
    other.join();
    EXPECT_LE(childProcesses().size(), 2u);

    const int file = ::open(slow.c_str(), O_RDONLY | O_CLOEXEC);
    auto drawing = std::async(std::launch::async, [&] { return icons.decode(file, kRequest); });
    EXPECT_EQ(drawing.wait_for(500ms), std::future_status::timeout) << "drew at once";
    icons.endAll();
    if (drawing.wait_for(10s) != std::future_status::ready) {
        ADD_FAILURE() << "a busy worker was spared";
        for (const pid_t child : childProcesses())
            ::kill(child, SIGKILL);
    }
    EXPECT_TRUE(drawing.get().isNull());
    ::close(file);
    EXPECT_TRUE(childProcesses().empty());
    EXPECT_EQ(openDescriptors(), before);
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

// The worker run by a script of `dir` that does `before`, then runs it with `arguments`.
std::string workerScript(const TempDir& dir, const std::string& before, const std::string& arguments = {}) {
    const std::string path =
        writeText(dir, "worker.sh",
                  "#!/bin/sh\n" + before + "\nexec '" + PictureWorker::besideThisProgram() + "' \"$@\" " +
                      arguments + "\n");
    ::chmod(path.c_str(), 0700);
    return path;
}

// What a decoder's bug would reach for: a path-named socket, UDP and TCP on 127.0.0.1, listened on.
struct Listeners {
    explicit Listeners(const std::string& path) {
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(named, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        for (const int socket : {udp, tcp}) {
            sockaddr_in loopback{
                .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
            socklen_t size = sizeof loopback;
            EXPECT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&loopback), size), 0);
            ::getsockname(socket, reinterpret_cast<sockaddr*>(&loopback), &size);
            (socket == udp ? udpPort : tcpPort) = ntohs(loopback.sin_port);
        }
        EXPECT_EQ(::listen(named, 1) | ::listen(tcp, 1), 0);
    }
    ~Listeners() {
        for (const int socket : {named, udp, tcp})
            ::close(socket);
    }
    // Whether a connection or a datagram came.
    bool reached() const {
        char byte;
        return ::accept4(named, nullptr, nullptr, SOCK_CLOEXEC) >= 0 || ::recv(udp, &byte, 1, 0) >= 0 ||
               ::accept4(tcp, nullptr, nullptr, SOCK_CLOEXEC) >= 0;
    }
    const int named = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int udp = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int tcp = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    uint16_t udpPort = 0, tcpPort = 0;
};

// The pixels of `image` that `inked` takes for ink.
int inkOf(const QImage& image, bool (*inked)(QRgb)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += inked(image.pixel(x, y));
    return count;
}

// Rows: the Landlock ABI the worker may use: all the kernel offers (-1), Debian 12's kernel's (2), none.
class WorkerGuards : public testing::TestWithParam<int> {};

// Whatever Landlock the kernel offers, a decoder's bug inside the real worker makes no socket, process or
// program, signals and traces no other process, changes and locks nothing of the file it was handed and
// types into no terminal; and every kind of picture still draws.
TEST_P(WorkerGuards, RefuseWhatADecodersBugWouldTryAndEveryKindStillDraws) {
    TempDir dir;
    EnvOverride env;
    env.set("QT_PLUGIN_PATH", BRENWICK_TEST_PLUGINS);
    const int cap = GetParam();
    PictureWorker worker({.time = 20s}, cap < 0
                                            ? PictureWorker::besideThisProgram()
                                            : workerScript(dir, "", "--landlock-abi " + std::to_string(cap)));
    const std::pair<std::string, QColor> kinds[] = {
        {writeImage(dir, "photo.png", "PNG"), Qt::red},
        {writeImage(dir, "photo.jpg", "JPG"), Qt::red},
        {writeImage(dir, "photo.bmp", "BMP"), Qt::red},
        {writeImage(dir, "icon.ico", "ICO"), Qt::red},
        {writeImage(dir, "icon.xpm", "XPM"), Qt::red},
        {writeText(dir, "dot.gif",
                   {"GIF89a\1\0\1\0\x80\0\0\xff\0\0\xff\xff\xff,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 35}),
         Qt::red},
        {writeText(dir, "drawing.svgz", gzipped(svgText())), Qt::blue},
        {writeText(dir, "text.svg", svgPadded(0, "<text y=\"40\" font-size=\"40\" fill=\"#fff\">WM</text>")),
         Qt::blue},
    };
    for (const auto& [path, colour] : kinds) {
        SCOPED_TRACE(path);
        const QImage image = decodeWhile(worker, path);
        ASSERT_FALSE(image.isNull());
        const QColor corner = image.pixelColor(0, 0);
        EXPECT_LT(std::abs(corner.red() - colour.red()) + std::abs(corner.blue() - colour.blue()), 16);
        if (path.ends_with("text.svg")) {
            EXPECT_GT(inkOf(image, [](QRgb c) { return qRed(c) > 200; }), 50) << "its text";
        }
    }
    const int abi = cap < 0 ? landlockAbi() : std::min(landlockAbi(), cap);
    EXPECT_EQ(worker.guards(), (picture_protocol::Guards{.landlockAbi = abi, .seccomp = true}));

    const Listeners listeners(dir.str() + "/bus");
    const QImage calls = decodeWhile(
        worker, writeText(dir, "bug.probe",
                          kGuardProbeMagic + dir.str() + "/bus\n" + std::to_string(listeners.udpPort) + "\n" +
                              std::to_string(listeners.tcpPort) + "\n" + std::to_string(::getpid()) + "\n"));
    ASSERT_EQ(calls.width(), int(std::size(kGuardProbeCalls))) << "the probe did not run";
    for (int i = 0; i < calls.width(); ++i) {
        const GuardProbeCall& call = kGuardProbeCalls[i];
        EXPECT_EQ(qRed(calls.pixel(i, 0)), call.refused ? call.refused : abi > 0 ? EACCES : 0) << call.what;
    }
    EXPECT_FALSE(listeners.reached());
}

INSTANTIATE_TEST_SUITE_P(LandlockAbi, WorkerGuards, testing::Values(-1, 2, 0), [](const auto& info) {
    return info.param < 0 ? std::string("Kernels") : "AtMost" + std::to_string(info.param);
});

// The processes of group `group` that have not ended.
std::vector<pid_t> groupProcesses(pid_t group) {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string text = fileText(entry.path() / "stat");
        const size_t command = text.rfind(')');
        char state = 0;
        int parent = 0, itsGroup = 0;
        if (command != std::string::npos &&
            std::sscanf(text.c_str() + command + 1, " %c %d %d", &state, &parent, &itsGroup) == 3 &&
            itsGroup == group && state != 'Z')
            found.push_back(pid_t(std::atoi(entry.path().filename().c_str())));
    }
    return found;
}

// The worker runs filtered, in a session of its own (no terminal), with no address or secret of the
// application's environment and its output going nowhere; ending it ends what it started.
TEST(PictureWorker, RunsFilteredAloneWithASmallEnvironmentAndEndsWithItsGroup) {
    TempDir dir;
    EnvOverride env;
    const char* const addresses[] = {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SSH_AUTH_SOCK",
                                     "BRENWICK_SECRET"};
    for (const char* name : addresses)
        env.set(name, "planted");
    // A process started in its group before the worker runs (the worker's own forks are refused).
    PictureWorker worker({.time = 20s}, workerScript(dir, "sleep 60 &"));
    ASSERT_FALSE(decodeWhile(worker, writeText(dir, "blue.svg", svgText())).isNull());
    const pid_t pid = worker.pid();
    const std::string proc = "/proc/" + std::to_string(pid);
    EXPECT_NE(fileText(proc + "/status").find("Seccomp:\t2"), std::string::npos);
    EXPECT_NE(::getsid(pid), ::getsid(0));
    std::string environment = "\n" + fileText(proc + "/environ");
    std::replace(environment.begin(), environment.end(), '\0', '\n');
    for (const char* name : addresses)
        EXPECT_EQ(environment.find("\n" + std::string(name) + "="), std::string::npos) << name;
#ifndef BRENWICK_SANITIZED
    EXPECT_EQ(std::filesystem::read_symlink(proc + "/fd/2"), "/dev/null");
#endif
    EXPECT_EQ(groupProcesses(pid).size(), 2u);
    worker.end();
    EXPECT_EQ(groupProcesses(pid), std::vector<pid_t>());
}

// SVG text in a font only the user's font folder holds draws its glyphs: fontconfig lists the font, and
// the worker may read it. Here that font is an icon font, whose glyphs no other font has, and fontconfig
// knows only that folder and Inter's of /usr (the default family, opened before the sandbox): what
// stands in for an unread icon is an empty box, as wide for a bar as for a block, or nothing.
TEST(PictureWorker, DrawsSvgTextInAFontOnlyTheUsersFolderHolds) {
    if (landlockAbi() == 0) GTEST_SKIP() << "the kernel has no Landlock: every font is readable";
    TempDir dir;
    ScopedUserFolders user(dir.str());
    const std::string fonts = user.dataHome() + "/fonts";
    std::filesystem::create_directories(fonts);
    std::filesystem::copy_file(
        "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf",
        fonts + "/Icons.ttf");
    const std::string config =
        "<?xml version=\"1.0\"?><fontconfig><dir>/usr/share/fonts/opentype/inter</dir>"
        "<dir>" +
        fonts + "</dir><cachedir>" + dir.str() +
        "/cache</cachedir>"
        "<match><edit name=\"family\" mode=\"append_last\"><string>Inter</string></edit>"
        "</match></fontconfig>";
    user.set("FONTCONFIG_FILE", writeText(dir, "fonts.conf", config));
    PictureWorker worker({.time = 20s});
    auto ink = [&](const std::string& icon) {
        const QImage image = decodeWhile(
            worker,
            writeText(dir, "icon.svg",
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\"><text y=\"44\" "
                      "font-family=\"Material Icons\" font-size=\"48\">" +
                          icon + "</text></svg>"));
        return inkOf(image, [](QRgb c) { return qAlpha(c) > 128; });
    };
    const int bar = ink("&#xe15b;"), block = ink("&#xe047;"); // "remove", "stop"
    EXPECT_GT(bar, 20);
    EXPECT_GT(block, bar * 2);
}

} // namespace
