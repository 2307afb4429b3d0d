#pragma once

#include <chrono>
#include <future>
#include <memory>
#include <string>

class DiskScanner;
class ScanTree;

// A walk begun before the application object exists, so that the start-up scan does not wait for the
// X connection and the platform plugin: plain C++ on a thread of its own. The state object takes it
// over (ScanViewModel::scanOnStart) and publishes it as any scan; until then nothing of it shows.
//
// Threads: made on the main thread; take() may be called from any one thread, once. Destroyed
// without take(), it cancels the walk and waits for it.
class EarlyWalk {
  public:
    // Starts walking `path` (absolute; an empty one names no folder and finds nothing) at once.
    EarlyWalk(std::string path, std::shared_ptr<DiskScanner> scanner);
    ~EarlyWalk();
    EarlyWalk(const EarlyWalk&) = delete;
    EarlyWalk& operator=(const EarlyWalk&) = delete;

    const std::string& path() const { return path_; }
    const std::shared_ptr<DiskScanner>& scanner() const { return scanner_; }
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }
    // Waits for the walk's end and hands over its tree (partial when it was cancelled).
    std::shared_ptr<ScanTree> take();

  private:
    std::string path_;
    std::shared_ptr<DiskScanner> scanner_;
    std::chrono::steady_clock::time_point startedAt_ = std::chrono::steady_clock::now();
    std::future<std::shared_ptr<ScanTree>> tree_;
};
