#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class DiskScanner;

// Holds every scan that opens a folder named "slow" until released, or until that scan is cancelled
// (as the real scanner stops reading once cancelled).
class ScanGate {
public:
    ~ScanGate() { release(); }
    void release() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait(const std::function<bool()>& cancelled) {
        std::unique_lock lock(mutex_);
        ++waiting_;
        while (!open_ && !cancelled()) changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
    // How many scans have reached the gate so far.
    int reached() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int waiting_ = 0;
};

// A two-worker scanner of the real file system that is refused the folders of `denied` (absolute
// path to errno) and waits at `gate` in every folder named "slow".
std::shared_ptr<DiskScanner> makeGatedScanner(std::shared_ptr<ScanGate> gate, const std::map<std::string, int>& denied);
