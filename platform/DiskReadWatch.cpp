#include "platform/DiskReadWatch.h"

#include <sys/resource.h>

namespace platform {

namespace {

struct ThreadUsage {
    long blocksRead = 0; // read from storage on the thread's behalf; page cache hits do not count
    std::chrono::microseconds processorTime{0};
};

ThreadUsage usageOfThisThread() {
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) != 0) return {};
    auto micros = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return {usage.ru_inblock, micros(usage.ru_utime) + micros(usage.ru_stime)};
}

} // namespace

DiskReadWatch::DiskReadWatch() : lastLook_(std::chrono::steady_clock::now()) {
    ThreadUsage now = usageOfThisThread();
    blocksRead_ = now.blocksRead;
    processorTime_ = now.processorTime;
}

bool DiskReadWatch::waitedOnDisk() {
    auto now = std::chrono::steady_clock::now();
    auto elapsed = now - lastLook_;
    if (elapsed < std::chrono::milliseconds(1)) return false;
    ThreadUsage usage = usageOfThisThread();
    bool read = usage.blocksRead > blocksRead_;
    bool mostlyWaiting = 2 * (usage.processorTime - processorTime_) < elapsed;
    lastLook_ = now;
    blocksRead_ = usage.blocksRead;
    processorTime_ = usage.processorTime;
    waitingLooks_ = read && mostlyWaiting ? waitingLooks_ + 1 : 0;
    return waitingLooks_ >= 3;
}

} // namespace platform
