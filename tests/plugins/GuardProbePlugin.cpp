// The guard probe's image plugin (GuardProbe.h), loaded by the worker through QT_PLUGIN_PATH.
#include "tests/plugins/GuardProbe.h"

#include <QFile>
#include <QImage>
#include <QImageIOHandler>
#include <QImageIOPlugin>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/io_uring.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <iterator>

namespace {

int failed(long result) {
    return result < 0 ? errno : 0;
}

int connected(int domain, int type, const sockaddr* address, socklen_t size) {
    const int socket = ::socket(domain, type | SOCK_CLOEXEC, 0);
    if (socket < 0) return errno;
    const int error = failed(type == SOCK_DGRAM ? ::sendto(socket, "x", 1, 0, address, size)
                                                : ::connect(socket, address, size));
    ::close(socket);
    return error;
}

class GuardProbe : public QImageIOHandler {
  public:
    bool canRead() const override {
        if (device()->peek(sizeof kGuardProbeMagic - 1) != kGuardProbeMagic) return false;
        setFormat("guardprobe");
        return true;
    }

    bool read(QImage* image) override {
        const QList<QByteArray> lines = device()->readAll().split('\n');
        auto* file = qobject_cast<QFile*>(device());
        if (lines.size() < 5 || !file) return false;
        const int fd = file->handle();
        const pid_t other = lines[4].toInt();
        sockaddr_un path{.sun_family = AF_UNIX, .sun_path = {}};
        std::strncpy(path.sun_path, lines[1].constData(), sizeof path.sun_path - 1);
        auto loopback = [](const QByteArray& port) {
            return sockaddr_in{.sin_family = AF_INET,
                               .sin_port = htons(port.toUShort()),
                               .sin_addr = {htonl(INADDR_LOOPBACK)},
                               .sin_zero = {}};
        };
        const sockaddr_in udp = loopback(lines[2]), tcp = loopback(lines[3]);
        struct stat own {};
        ::fstat(fd, &own);
        char byte = 0;
        long word = 0;
        iovec local{&byte, 1}, remote{nullptr, 1};
        timespec unchanged[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
        char* nothing[] = {nullptr};
        io_uring_params ring{};
        int pair[2];
        const QByteArray folder = lines[1].left(lines[1].lastIndexOf('/'));
        // What a call opens is left open: the worker is ended after.
        const int errors[] = {
            failed(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
            connected(AF_UNIX, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&path), sizeof path),
            connected(AF_INET, SOCK_DGRAM, reinterpret_cast<const sockaddr*>(&udp), sizeof udp),
            connected(AF_INET, SOCK_STREAM, reinterpret_cast<const sockaddr*>(&tcp), sizeof tcp),
            failed(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair)),
            [] {
                const pid_t child = ::fork();
                if (child == 0) ::_exit(0);
                if (child < 0) return errno;
                ::waitpid(child, nullptr, 0);
                return 0;
            }(),
            failed(::syscall(SYS_clone3, nullptr, 0)),
            failed(::execve("/nonexistent/brenwick-program", nothing, nothing)),
            failed(::syscall(SYS_ptrace, PTRACE_PEEKUSER, other, 0, &word)),
            failed(::syscall(SYS_process_vm_readv, other, &local, 1, &remote, 1, 0)),
            failed(::syscall(SYS_pidfd_getfd, ::syscall(SYS_pidfd_open, other, 0), 0, 0)),
            failed(::kill(other, 0)),
            failed(::syscall(SYS_tgkill, other, other, 0)),
            failed(::fchmod(fd, own.st_mode & 07777)),
            failed(::syscall(452, fd, "", own.st_mode & 07777, AT_EMPTY_PATH)), // fchmodat2
            failed(::futimens(fd, unchanged)),
            failed(::fremovexattr(fd, "user.brenwick-missing")),
            failed(::syscall(466, fd, "", AT_EMPTY_PATH, "user.brenwick-missing")), // removexattrat
            ::flock(fd, LOCK_SH | LOCK_NB) < 0 ? errno : ::flock(fd, LOCK_UN),
            ::fcntl(fd, F_SETLEASE, F_RDLCK) < 0 ? errno : ::fcntl(fd, F_SETLEASE, F_UNLCK),
            failed(::ioctl(fd, TIOCSTI, "x")),
            failed(::syscall(SYS_ioctl, fd, (1UL << 32) | TIOCSTI, "x")),
            failed(::syscall(SYS_io_uring_setup, 1, &ring)),
            failed(::open(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(),
                          O_WRONLY | O_CLOEXEC)),
            failed(::unlink(QByteArray(folder + "/absent").constData())),
        };
        static_assert(std::size(errors) == std::size(kGuardProbeCalls));
        *image = QImage(int(std::size(errors)), 1, QImage::Format_RGB32);
        for (int i = 0; i < image->width(); ++i)
            image->setPixel(i, 0, qRgb(errors[i], 0, 255));
        return true;
    }
};

class GuardProbePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "GuardProbe.json")

  public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
        if (format == "guardprobe") return CanRead;
        if (!device || !format.isEmpty()) return {};
        GuardProbe probe;
        probe.setDevice(device);
        return probe.canRead() ? CanRead : Capabilities();
    }
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        auto* handler = new GuardProbe;
        handler->setDevice(device);
        handler->setFormat(format);
        return handler;
    }
};

} // namespace

#include "GuardProbePlugin.moc"
