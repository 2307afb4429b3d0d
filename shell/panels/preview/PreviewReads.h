#pragma once

#include "platform/PreviewContent.h"

#include <QThreadPool>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

class QObject;

// The preview's reads of what it shows (platform::loadPreview), off the window's thread, on a pool of
// their own: Qt's global pool is waited for as the application ends, and a picture can take long to
// read. Only the last read is wanted: starting one asks the one before to stop, and so does stop(); a
// read stops at its next row or drawing call, and what a stopped read returns is dropped. The
// destructor stops the read and waits for the pool, so no read outlives its owner.
//
// A decoder's single call cannot be stopped (one stroke of a drawing may take seconds), so the quit
// does not wait for it: leaveAtQuit() gives a stopped read a moment and then leaves it running, and the
// entry ends the process before the application object goes (endProcessIfReadsLeft in app/). Reads
// only read, so nothing is lost.
//
// Threads: one thread owns it (the window's); `done` is called there.
class PreviewReads {
  public:
    using Done = std::function<void(platform::PreviewContent)>;

    PreviewReads() = default;
    ~PreviewReads();
    PreviewReads(const PreviewReads&) = delete;
    PreviewReads& operator=(const PreviewReads&) = delete;

    // Reads `path` and hands what it read to `done` on `context`'s thread, unless the read was asked to
    // stop, or `context` was destroyed, before that.
    void start(const std::string& path, QObject* context, Done done);
    // Asks the running read to stop.
    void stop();
    // Stops and waits until no read runs.
    void finish();
    // As the application quits: stops, waits up to `grace`, and leaves a read still running to itself.
    void leaveAtQuit(std::chrono::milliseconds grace = kQuitGrace);
    // Whether a read was left running, in this process.
    static bool anyLeft();
    // For tests: waits until the reads left have ended.
    static void waitForLeft();

    static constexpr std::chrono::milliseconds kQuitGrace{200};
    // For tests: waits, without stopping, until no read runs; false when one still does after `msecs`.
    bool waitForDone(int msecs) { return pool_->waitForDone(msecs); }

  private:
    std::unique_ptr<QThreadPool> pool_ = std::make_unique<QThreadPool>();
    std::stop_source stop_;
};
