#include "platform/PictureProtocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform::picture_protocol {
namespace {

constexpr uint32_t kAskMagic = 0x42504b31;    // "BPK1"
constexpr uint32_t kAnswerMagic = 0x42504131; // "BPA1"
constexpr uint32_t kReadyMagic = 0x42505231;  // "BPR1"

struct Ready {
    uint32_t magic = kReadyMagic;
    int32_t landlockAbi = 0;
    int32_t seccomp = 0;
};

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
    uint32_t format = QImage::Format_Invalid; // one of kPixelFormats when drawn
    int32_t width = 0;
    int32_t height = 0;
};

// The formats of four bytes a pixel, sent as they are decoded: any other is converted first.
constexpr QImage::Format kPixelFormats[] = {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32,
                                            QImage::Format_RGB32};

// Compared as numbers: a number off the wire need not be one of the enum's values at all.
bool isPixelFormat(uint32_t format) {
    return std::any_of(std::begin(kPixelFormats), std::end(kPixelFormats),
                       [&](QImage::Format pixels) { return uint32_t(pixels) == format; });
}

// Sends every byte of `parts`, in as few calls as the socket takes.
bool sendAll(int socket, std::vector<iovec> parts) {
    size_t first = 0;
    for (;;) {
        while (first < parts.size() && parts[first].iov_len == 0)
            ++first;
        if (first == parts.size()) return true;
        msghdr message{};
        message.msg_iov = parts.data() + first;
        message.msg_iovlen = parts.size() - first;
        ssize_t sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        for (; sent > 0; ++first) {
            const size_t taken = std::min(size_t(sent), parts[first].iov_len);
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + taken;
            parts[first].iov_len -= taken;
            sent -= ssize_t(taken);
            if (parts[first].iov_len > 0) break;
        }
    }
}

bool sendAll(int socket, const void* data, size_t size) {
    return sendAll(socket, {{const_cast<void*>(data), size}});
}

// Reads exactly `size` bytes; with `wait`, asks it before every read, so that a peer that keeps the
// socket readable a byte at a time is given up on all the same (else blocks).
bool receiveAll(int socket, void* data, size_t size, const Wait* wait) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (wait && !(*wait)()) return false;
        const ssize_t got = ::recv(socket, bytes, size, wait ? MSG_DONTWAIT : 0);
        if (got < 0 && (errno == EINTR || (errno == EAGAIN && wait))) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

} // namespace

bool sendReady(int socket, const Guards& guards) {
    const Ready ready{.landlockAbi = guards.landlockAbi, .seccomp = guards.seccomp};
    return sendAll(socket, &ready, sizeof ready);
}

bool receiveReady(int socket, Guards& guards, const Wait& wait) {
    Ready ready;
    if (!receiveAll(socket, &ready, sizeof ready, &wait) || ready.magic != kReadyMagic) return false;
    guards = {.landlockAbi = ready.landlockAbi, .seccomp = ready.seccomp != 0};
    return true;
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
    const QImage pixels = isPixelFormat(picture.format())
                              ? picture
                              : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    head.format = pixels.format();
    head.width = pixels.width();
    head.height = pixels.height();
    // Rows of four-byte pixels need no padding: the picture is one block, sent with its head.
    return sendAll(socket, {{&head, sizeof head},
                            {const_cast<uchar*>(pixels.constBits()), size_t(pixels.sizeInBytes())}});
}

std::optional<QImage> receiveAnswer(int socket, const PictureRequest& request, const Wait& wait) {
    AnswerHead head;
    if (!receiveAll(socket, &head, sizeof head, &wait) || head.magic != kAnswerMagic) return std::nullopt;
    if (head.format == QImage::Format_Invalid) return QImage();
    const int longest = request.longestSide;
    if (!isPixelFormat(head.format) || head.width <= 0 || head.height <= 0 || head.width > longest ||
        head.height > longest)
        return std::nullopt;
    QImage picture(head.width, head.height, QImage::Format(head.format));
    if (picture.isNull() || !receiveAll(socket, picture.bits(), size_t(picture.sizeInBytes()), &wait))
        return std::nullopt;
    return picture;
}

} // namespace platform::picture_protocol
