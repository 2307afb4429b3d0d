#pragma once

#include "platform/pictures/PictureDecoder.h" // PictureRequest, a plain struct: the application decodes nothing

#include <QImage>

#include <functional>
#include <optional>

// What the application and its picture worker (app/worker) say to each other over a stream socket:
//   worker -> application: a Ready once the worker is ready (its plugins and fonts loaded, sandboxed),
//   saying which guards hold;
//   application -> worker: an Ask, carrying one open descriptor (SCM_RIGHTS) of the file to decode;
//   worker -> application: an AnswerHead, then, when drawn, width x height pixels of four bytes (ARGB32,
//   premultiplied or not, or RGB32, as the head says), row after row without padding.
// Both ends are built together, so the wire holds the numbers as the machine does. Nothing is ever sent
// with SIGPIPE: a peer that died is a failed send.
namespace platform::picture_protocol {

// The worker's end of the socket, as the worker finds it.
inline constexpr int kWorkerSocket = 3;

// What the worker is held to, as it says when it is ready.
struct Guards {
    int landlockAbi = 0; // the Landlock ABI in force, 0 for none
    bool seccomp = false;
    bool operator==(const Guards&) const = default;
};

// Worker side.
bool sendReady(int socket, const Guards& guards);
// The next request and its descriptor (close-on-exec, the caller's to close); none at the end of the
// stream, or when what came is no request with exactly one descriptor.
std::optional<PictureRequest> receiveAsk(int socket, int& file);
// A null image answers "not drawable".
bool sendAnswer(int socket, const QImage& picture);

// Application side. `wait` is asked before every read, however readable the socket is: it blocks until
// the socket may be read, or returns false to give up (a deadline, a stop, a worker grown too large).
using Wait = std::function<bool()>;
// Whether the worker said it is ready; `guards` then holds what it said it is held to.
bool receiveReady(int socket, Guards& guards, const Wait& wait);
bool sendAsk(int socket, int file, const PictureRequest& request);
// The picture, a null image for "not drawable", or none when the worker ended, was given up on, or
// answered anything but a well-formed picture of at most `request.longestSide` on a side.
std::optional<QImage> receiveAnswer(int socket, const PictureRequest& request, const Wait& wait);

} // namespace platform::picture_protocol
