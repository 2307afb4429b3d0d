#pragma once

#include "platform/PictureProtocol.h"
#include "platform/Sanitizers.h"
#include "platform/pictures/PictureDecoder.h" // PictureRequest, a plain struct: the application decodes nothing

#include <QImage>

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace platform {

// Sanitizer builds run the worker several times slower: production budgets are stretched by this.
#ifdef BRENWICK_SANITIZED
inline constexpr int kSanitizerSlowdown = 5;
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif

// One picture worker process (brenwick-picture-worker, beside this program's executable): pictures of
// files Brenwick does not own are checked and decoded there, never in the application's process, since
// one call of Qt's decoders can take minutes and gigabytes and cannot be interrupted. The worker is
// started on the first request (or ahead of it) and serves requests one at a time until it is ended; it is
// ended (SIGKILL, then reaped: no zombie is left) when a request is stopped, when an answer takes longer than
// the time budget, when the worker's resident memory passes the memory limit (the worker also limits its
// address space to it, in builds without sanitizers), when it answers nonsense or dies, and by end() or
// the destructor. A request that ends it gives a null image; the next request starts a new worker. One that
// died (or spoke unasked) while idle costs no request: it is replaced before the request is sent.
// The worker runs in a session of its own (no controlling terminal; ending it ends its process group),
// with only the environment it needs (the locale, the XDG folders, fontconfig's and Qt's plugin path), and
// its output goes nowhere (but a sanitizer's report).
//
// Threads: decode() blocks the calling thread (a pool's, never the window's) and is called by one thread
// at a time. end() may be called from any thread at any moment, a decode() running or not.
class PictureWorker {
  public:
    struct Limits {
        std::chrono::milliseconds time;    // from the request sent to the whole answer
        int64_t memory = int64_t{1} << 30; // bytes, resident (and of address space)
        std::chrono::milliseconds start = std::chrono::seconds(10) * kSanitizerSlowdown; // until ready
    };

    explicit PictureWorker(Limits limits, std::string program = besideThisProgram());
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    // The picture in the regular file open at `file` (the caller keeps it; the worker gets a descriptor
    // of its own onto the same file, so the bytes checked are the bytes decoded), as decodePicture gives
    // it, or null: not drawable, or the worker was ended. Once `stop` is requested the worker is ended.
    QImage decode(int file, const PictureRequest& request, std::stop_token stop = {});
    // Starts the worker process, when none runs, without waiting for it: a decode() soon after finds it
    // ready sooner. Any thread.
    void startAhead();
    // Ends the worker now, if one runs; a decode() under way returns null.
    void end();
    // The running worker's process id, 0 when none runs (for tests).
    pid_t pid() const { return pid_; }
    // What the worker said it is held to when it was ready (for tests; after a decode()).
    picture_protocol::Guards guards() const { return guards_; }

    // The worker's executable: brenwick-picture-worker in the folder of the running executable.
    static std::string besideThisProgram();

  private:
    // Spawns the worker; its readiness is awaited by the next decode().
    void launchLocked();
    // Whether the socket may be read before `deadline`; false once the request is stopped or the worker
    // ended, or when it has grown past the memory limit. Its size is looked at once `nextLook` has come,
    // then every kWatchMs, whether the socket is quiet or not.
    bool waitForAnswer(std::chrono::steady_clock::time_point deadline,
                       std::chrono::steady_clock::time_point& nextLook, const std::stop_token& stop) const;
    // Whether the idle worker has died, or said something unasked, since its last answer (or its start):
    // the request it would be given is given to a new one instead.
    bool goneLocked() const;
    void reapLocked();

    static constexpr int64_t kWatchMs = 20;

    const Limits limits_;
    const std::string program_;
    std::mutex mutex_; // guards pid_'s process and socket_ against end() from other threads
    std::atomic<pid_t> pid_ = 0;
    int socket_ = -1;
    bool busy_ = false;               // a decode() uses the process; it reaps it when ended meanwhile
    bool ready_ = false;              // the process said it is ready
    picture_protocol::Guards guards_; // what it said with that
    std::atomic<bool> ended_ = false; // killed while busy, not yet reaped
};

} // namespace platform
