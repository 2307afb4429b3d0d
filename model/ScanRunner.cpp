#include "model/ScanRunner.h"

#include "model/BackgroundTask.h"
#include "model/EarlyWalk.h"
#include "model/QuickWins.h"
#include "model/ScanTree.h"

#include <QMetaObject>

#include <shared_mutex>

namespace {
constexpr int kProgressIntervalMs = 150;
}

ScanRunner::ScanRunner(MakeScanner makeScanner, QThreadPool& releasePool, Handlers handlers, QObject* parent)
    : QObject(parent), makeScanner_(std::move(makeScanner)), releasePool_(releasePool),
      handlers_(std::move(handlers)) {
    progressTimer_.setInterval(kProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, &ScanRunner::poll);
}

ScanRunner::~ScanRunner() {
    progressTimer_.stop();
    if (scanner_) scanner_->cancel();
    for (auto& t : threads_)
        t.thread.join();
}

void ScanRunner::reapFinishedThreads() {
    std::erase_if(threads_, [](ScanThread& t) {
        if (!t.finished->load()) return false;
        t.thread.join(); // it has returned or is about to
        return true;
    });
}

void ScanRunner::start(const std::string& path) {
    run(path, makeScanner_(), nullptr, std::chrono::steady_clock::now());
}

void ScanRunner::start(std::unique_ptr<EarlyWalk> walk) {
    const std::string path = walk->path();
    std::shared_ptr<DiskScanner> scanner = walk->scanner();
    const auto start = walk->startedAt();
    run(path, std::move(scanner), std::move(walk), start);
}

void ScanRunner::run(const std::string& path, std::shared_ptr<DiskScanner> scanner,
                     std::shared_ptr<EarlyWalk> walk, std::chrono::steady_clock::time_point start) {
    const uint64_t token = ++token_;
    if (scanner_) scanner_->cancel();
    reapFinishedThreads();

    scanner_ = scanner;
    running_ = true;
    start_ = start;
    progressTimer_.start();

    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, scanner, path, token, finished, walk = std::move(walk)] {
        DiskInfo before = DiskInfo::forVolume(path);
        QMetaObject::invokeMethod(
            this,
            [this, token, before] {
                if (token == token_ && running_ && handlers_.volumeMeasured) handlers_.volumeMeasured(before);
            },
            Qt::QueuedConnection);

        auto result = std::make_shared<ScanResult>();
        result->tree = walk ? walk->take() : scanner->scan(path);
        if (!scanner->isCancelled()) {
            {
                std::shared_lock lock(result->tree->mutex());
                result->quickWins = QuickWins::analyze(*result->tree);
            }
            result->disk = DiskInfo::forVolume(path);
            result->unreadableCount = scanner->unreadableCount();
            result->unreadableSamples = scanner->unreadableSamples();
            QMetaObject::invokeMethod(
                this, [this, token, result] { deliver(token, result); }, Qt::QueuedConnection);
        }
        // A cancelled scan's tree dies with `result` here, off the main thread.
        result.reset();
        finished->store(true);
    });
    threads_.push_back({std::move(thread), std::move(finished)});
}

// Only the current scanner is polled, so a superseded scan can never show its counters.
void ScanRunner::poll() {
    if (!running_ || !scanner_) {
        progressTimer_.stop();
        return;
    }
    if (handlers_.progress) handlers_.progress(scanner_->progress());
}

void ScanRunner::deliver(uint64_t token, std::shared_ptr<ScanResult> result) {
    if (token != token_) {
        releaseInBackground(releasePool_, std::move(result));
        return;
    }
    progressTimer_.stop();
    running_ = false;
    result->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (handlers_.finished) handlers_.finished(std::move(*result));
}
