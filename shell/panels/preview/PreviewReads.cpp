#include "shell/panels/preview/PreviewReads.h"

#include "model/BackgroundTask.h"

PreviewReads::~PreviewReads() {
    finish();
}

void PreviewReads::start(const std::string& path, QObject* context, Done done) {
    stop();
    runInBackground(
        &pool_, context,
        [path, stop = stop_.get_token(), limits = limits_] {
            return platform::loadPreview(path, stop, limits);
        },
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
    pool_.waitForDone();
}
