#include "platform/PictureProtocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace platform::picture_protocol {
namespace {

constexpr uint32_t kAskMagic = 0x42504b31;    // "BPK1"
constexpr uint32_t kAnswerMagic = 0x42504131; // "BPA1"
constexpr char kReady = 'R';

struct Ask {
    uint32_t magic = kAskMagic;
    int32_t longestSide = 0;
    uint64_t svgBytes = 0;
    uint64_t svgElements = 0;
    int32_t jpegScans = 0;
    int32_t svgBudgetMs = 0;
};

struct AnswerHead {
    uint32_t magic = kAnswerMagic;
    uint32_t drawn = 0;
    int32_t width = 0;
    int32_t height = 0;
};

bool sendAll(int socket, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent = ::send(socket, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        size -= size_t(sent);
    }
    return true;
}

// Reads exactly `size` bytes, asking `wait` before each read when given (else blocking).
bool receiveAll(int socket, void* data, size_t size, const Wait* wait) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (wait && !(*wait)()) return false;
        const ssize_t got = ::recv(socket, bytes, size, wait ? MSG_DONTWAIT : 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

} // namespace

bool sendReady(int socket) {
    return sendAll(socket, &kReady, 1);
}

bool receiveReady(int socket, const Wait& wait) {
    char ready = 0;
    return receiveAll(socket, &ready, 1, &wait) && ready == kReady;
}

bool sendAsk(int socket, int file, const PictureRequest& request) {
    Ask ask;
    ask.longestSide = request.longestSide;
    ask.svgBytes = request.bounds.svgBytes;
    ask.svgElements = request.bounds.svgElements;
    ask.jpegScans = request.bounds.jpegScans;
    ask.svgBudgetMs = int32_t(request.svgBudget.count());
    iovec part{&ask, sizeof ask};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* rights = CMSG_FIRSTHDR(&message);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(rights), &file, sizeof file);
    ssize_t sent;
    do
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent <= 0) return false;
    // The descriptor went with the first byte; the rest of a short send follows on its own.
    return sendAll(socket, reinterpret_cast<const char*>(&ask) + sent, sizeof ask - size_t(sent));
}

std::optional<PictureRequest> receiveAsk(int socket, int& file) {
    file = -1;
    Ask ask;
    iovec part{&ask, sizeof ask};
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return std::nullopt;
    int received = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
        const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
            if (received++ == 0)
                file = fd;
            else
                ::close(fd);
        }
    }
    const bool whole =
        receiveAll(socket, reinterpret_cast<char*>(&ask) + got, sizeof ask - size_t(got), nullptr);
    if (!whole || received != 1 || ask.magic != kAskMagic || (message.msg_flags & MSG_CTRUNC)) {
        if (file >= 0) ::close(file);
        file = -1;
        return std::nullopt;
    }
    PictureRequest request;
    request.longestSide = ask.longestSide;
    request.bounds.svgBytes = ask.svgBytes;
    request.bounds.svgElements = ask.svgElements;
    request.bounds.jpegScans = ask.jpegScans;
    request.svgBudget = std::chrono::milliseconds(ask.svgBudgetMs);
    return request;
}

bool sendAnswer(int socket, const QImage& picture) {
    AnswerHead head;
    if (picture.isNull()) return sendAll(socket, &head, sizeof head);
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    head.drawn = 1;
    head.width = pixels.width();
    head.height = pixels.height();
    if (!sendAll(socket, &head, sizeof head)) return false;
    const size_t row = size_t(pixels.width()) * 4;
    for (int y = 0; y < pixels.height(); ++y)
        if (!sendAll(socket, pixels.constScanLine(y), row)) return false;
    return true;
}

std::optional<QImage> receiveAnswer(int socket, const PictureRequest& request, const Wait& wait) {
    AnswerHead head;
    if (!receiveAll(socket, &head, sizeof head, &wait) || head.magic != kAnswerMagic) return std::nullopt;
    if (head.drawn == 0) return QImage();
    const int longest = request.longestSide;
    if (head.drawn != 1 || head.width <= 0 || head.height <= 0 || head.width > longest ||
        head.height > longest)
        return std::nullopt;
    QImage picture(head.width, head.height, QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) return std::nullopt;
    const size_t row = size_t(head.width) * 4;
    for (int y = 0; y < head.height; ++y)
        if (!receiveAll(socket, picture.scanLine(y), row, &wait)) return std::nullopt;
    return picture;
}

} // namespace platform::picture_protocol
