#include "tools/monitor/SamplingLoop.h"

#include "model/BackgroundTask.h"
#include "tools/monitor/MonitorFigures.h"

SamplingLoop::SamplingLoop(Sources sources, QThreadPool* samplePool, QThreadPool* volumePool, int intervalMs,
                           QObject* parent)
    : QObject(parent), sources_(std::make_shared<const Sources>(std::move(sources))), samplePool_(samplePool),
      volumePool_(volumePool) {
    next_.setSingleShot(true);
    next_.setInterval(intervalMs);
    connect(&next_, &QTimer::timeout, this, &SamplingLoop::pass);
}

void SamplingLoop::setRunning(bool running) {
    if (running == running_) return;
    running_ = running;
    ++run_;
    next_.stop();
    if (running_) pass();
}

void SamplingLoop::setRoot(const std::string& root) {
    if (root == root_) return;
    root_ = root;
    if (!running_) return;
    ++run_;
    next_.stop();
    pass();
}

void SamplingLoop::pass() {
    const uint64_t run = run_;
    auto sources = sources_;
    if (volumeRun_ != run) {
        volumeRun_ = run;
        runInBackground(
            volumePool_, this, [sources] { return sources->volumes(); },
            [this, run](std::vector<VolumeInfo> volumes) { applyVolumes(run, std::move(volumes)); });
    }
    runInBackground(
        samplePool_, this, [sources] { return sources->sample(); },
        [this, run](SystemMonitor::Snapshot snapshot) { applySample(run, std::move(snapshot)); });
}

void SamplingLoop::applySample(uint64_t run, SystemMonitor::Snapshot snapshot) {
    if (run != run_) return;
    snapshot_ = std::move(snapshot);
    append(cpuHistory_, snapshot_.cpu.user + snapshot_.cpu.system);
    if (auto percent = monitor_figures::memoryPercent(snapshot_.memory)) append(memoryHistory_, *percent);
    emit sampled();
    next_.start();
}

void SamplingLoop::applyVolumes(uint64_t run, std::vector<VolumeInfo> volumes) {
    if (volumeRun_ == run) volumeRun_ = 0;
    if (run != run_) return;
    volumes_ = std::move(volumes);
    if (!volumes_.empty()) append(freeSpaceHistory_, double(volumes_.front().disk.free));
    emit volumesChanged();
}

void SamplingLoop::append(std::vector<double>& history, double value) {
    history.push_back(value);
    if (history.size() > kHistoryLength)
        history.erase(history.begin(), history.end() - std::ptrdiff_t(kHistoryLength));
}
