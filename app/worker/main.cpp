// brenwick-picture-worker: checks and decodes, one at a time, the pictures the application hands it as
// open descriptors (platform/PictureWorker is the application's side), in a process of its own that the
// application ends when a picture takes too long or too much memory. Once it has loaded what it needs of
// the system, it sandboxes itself: it can then read /usr and the fonts, and no other file (Landlock, where
// the kernel has it), and it can make no socket, process or change that a picture never needs (seccomp).
// `--landlock-abi N` uses at most Landlock ABI N (0: none), as an older kernel would.
#include "platform/PictureProtocol.h"
#include "platform/Sanitizers.h"
#include "platform/pictures/PictureDecoder.h"
#include "platform/pictures/Sandbox.h"
#include "platform/pictures/SyscallFilter.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>

#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <thread>

namespace {

namespace protocol = platform::picture_protocol;

// Qt prints what it thinks of a hostile drawing; nobody reads it.
void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// What decoding would load on first use, loaded before the sandbox: every image plugin, the font
// database, the SVG renderer and a font engine, through the very call that decodes.
void loadAhead() {
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        QImageReader(&nothing, format).canRead();
    QFontDatabase::families();
    QByteArray text = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
                      "<text y=\"12\" font-size=\"12\">Ag</text></svg>";
    QBuffer drawing(&text);
    drawing.open(QIODevice::ReadOnly);
    platform::decodePicture(drawing, {.longestSide = 16, .bounds = {.svgBytes = 1024, .svgElements = 8}});
}

// The application may die while a picture is drawn (one drawing call can take minutes): the worker then
// ends at once, whatever it is doing, instead of drawing for nobody.
void endWhenTheApplicationGoes() {
    std::thread([] {
        pollfd hangUp{protocol::kWorkerSocket, POLLRDHUP, 0};
        while (::poll(&hangUp, 1, -1) < 0 && errno == EINTR) {
        }
        ::_exit(0);
    }).detach();
}

// The memory limit, on the address space: an allocation past it fails in the worker. The sanitizers
// reserve terabytes of address space: there the application's watch of the resident size is the only
// limit.
void limitAddressSpace([[maybe_unused]] long long bytes) {
#ifndef BRENWICK_SANITIZED
    if (bytes <= 0) return;
    const rlimit space{rlim_t(bytes), rlim_t(bytes)};
    ::setrlimit(RLIMIT_AS, &space);
#endif
}

} // namespace

int main(int argc, char** argv) {
    // Never on the user's display: a worker has no window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    qInstallMessageHandler(dropMessage);
    // A picture that needs more memory than the limit ends the worker; quietly, since nobody reads why.
    std::set_terminate([] { std::_Exit(70); });
    long long memory = 0;
    int landlockCap = INT_MAX;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--memory") == 0) memory = std::atoll(argv[i + 1]);
        if (std::strcmp(argv[i], "--landlock-abi") == 0) landlockCap = std::atoi(argv[i + 1]);
    }
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // Each thread's malloc arena reserves 64 MiB of address space: one arena keeps the limit for pictures.
    ::mallopt(M_ARENA_MAX, 1);

    QGuiApplication application(argc, argv);
    loadAhead();
    // Without Landlock the checks and the filter alone guard.
    protocol::Guards guards;
    guards.landlockAbi = std::min(platform::landlockAbi(), landlockCap);
    if (platform::sandboxToReading(platform::pictureWorkerReadable(), guards.landlockAbi) !=
        platform::Sandboxed::yes)
        guards.landlockAbi = 0;
    guards.seccomp = platform::filterSyscalls();
    limitAddressSpace(memory);
    endWhenTheApplicationGoes();
    if (!protocol::sendReady(protocol::kWorkerSocket, guards)) ::_exit(0);
    for (;;) {
        int fd = -1;
        const auto request = protocol::receiveAsk(protocol::kWorkerSocket, fd);
        if (!request) ::_exit(0); // the application closed its end, or said nonsense
        QImage picture;
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            picture = platform::decodePicture(file, *request);
        else
            ::close(fd);
        if (!protocol::sendAnswer(protocol::kWorkerSocket, picture)) ::_exit(0);
    }
}
