#include "shell/panels/preview/PreviewReads.h"

#include "model/BackgroundTask.h"

#include <vector>

namespace {

// Pools left to a read at quit: kept reachable, never destroyed (that would wait for the read).
std::vector<QThreadPool*>& leftPools() {
    static auto* pools = new std::vector<QThreadPool*>;
    return *pools;
}

} // namespace

PreviewReads::~PreviewReads() {
    finish();
}

void PreviewReads::start(const std::string& path, QObject* context, Done done) {
    stop();
    runInBackground(
        pool_.get(), context, [path, stop = stop_.get_token()] { return platform::loadPreview(path, stop); },
        [stop = stop_.get_token(), done = std::move(done)](platform::PreviewContent content) {
            if (!stop.stop_requested()) done(std::move(content));
        });
}

void PreviewReads::stop() {
    stop_.request_stop();
    stop_ = std::stop_source();
}

void PreviewReads::finish() {
    stop();
    pool_->waitForDone();
}

void PreviewReads::leaveAtQuit(std::chrono::milliseconds grace) {
    stop();
    if (pool_->waitForDone(int(grace.count()))) return;
    leftPools().push_back(pool_.release());
    pool_ = std::make_unique<QThreadPool>();
}

bool PreviewReads::anyLeft() {
    return !leftPools().empty();
}

void PreviewReads::waitForLeft() {
    for (QThreadPool* pool : leftPools())
        pool->waitForDone();
}
