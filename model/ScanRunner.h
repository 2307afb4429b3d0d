#pragma once

#include "model/DiskInfo.h"
#include "model/DiskScanner.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class EarlyWalk;
class QThreadPool;
class ScanTree;
namespace QuickWins {
struct Category;
}

// What a finished scan hands back.
struct ScanResult {
    std::shared_ptr<ScanTree> tree;
    std::vector<QuickWins::Category> quickWins;
    DiskInfo disk; // measured after the walk
    int64_t unreadableCount = 0;
    std::vector<std::string> unreadableSamples;
    double seconds = 0; // from the start to the delivery of the result
};

// Runs scans one at a time, each on a thread of its own: the walk, then the quick-win analysis, with
// the target's volume measured before and after (statvfs can hang on a dead network mount, so never
// on the main thread). Starting a scan supersedes the running one: it is cancelled and nothing of it is
// reported any more. While a scan runs, its live counters are reported every 0.15 s.
//
// Threads: main thread; the handlers run there. The destructor cancels the running scan and joins
// every scan thread.
class ScanRunner : public QObject {
    Q_OBJECT
  public:
    struct Handlers {
        std::function<void(DiskScanner::Progress)> progress;
        std::function<void(const DiskInfo&)> volumeMeasured; // before the walk
        std::function<void(ScanResult)> finished;
    };
    using MakeScanner = std::function<std::shared_ptr<DiskScanner>()>;

    // Stale results are freed on `releasePool`.
    ScanRunner(MakeScanner makeScanner, QThreadPool& releasePool, Handlers handlers,
               QObject* parent = nullptr);
    ~ScanRunner() override;

    void start(const std::string& path);
    // Takes over a walk already running (of its path) as the new scan.
    void start(std::unique_ptr<EarlyWalk> walk);
    bool isRunning() const { return running_; }

  private:
    struct ScanThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    void run(const std::string& path, std::shared_ptr<DiskScanner> scanner, std::shared_ptr<EarlyWalk> walk,
             std::chrono::steady_clock::time_point start);
    void poll();
    void deliver(uint64_t token, std::shared_ptr<ScanResult> result);
    void reapFinishedThreads();

    MakeScanner makeScanner_;
    QThreadPool& releasePool_;
    Handlers handlers_;
    // A scan's token is its number; whatever an older token brings is stale.
    uint64_t token_ = 0;
    bool running_ = false;
    std::shared_ptr<DiskScanner> scanner_;
    std::chrono::steady_clock::time_point start_;
    QTimer progressTimer_;
    std::vector<ScanThread> threads_;
};
