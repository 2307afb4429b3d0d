#pragma once

#include "platform/PreviewContent.h"

#include <QThreadPool>

#include <functional>
#include <stop_token>
#include <string>

class QObject;

// The preview's reads of what it shows (platform::loadPreview), off the window's thread, on a pool of
// their own: Qt's global pool is waited for as the application ends, and a picture can take long to
// read. Only the last read is wanted: starting one asks the one before to stop, and so does stop(); a
// picture is drawn by a worker process, which a stop ends at once, and what a stopped read returns is
// dropped. The destructor stops the read and waits for the pool, so no read outlives its owner; the
// quit does the same (finish()).
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
    // For tests: waits, without stopping, until no read runs; false when one still does after `msecs`.
    bool waitForDone(int msecs) { return pool_.waitForDone(msecs); }
    // For tests: the budget of the reads that start from now on.
    void setPictureLimits(const platform::PictureWorker::Limits& limits) { limits_ = limits; }

  private:
    platform::PictureWorker::Limits limits_ = platform::PreviewFile::kWorkerLimits;
    QThreadPool pool_;
    std::stop_source stop_;
};
