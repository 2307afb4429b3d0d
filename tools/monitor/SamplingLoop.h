#pragma once

#include "model/SystemMonitor.h"
#include "model/VolumeInfo.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QThreadPool;

// The Monitor's sampling: while running, one pass at once and then one every 2 seconds after the
// previous sample came back. A pass samples the system and reads the mounted volumes, each on a pool
// thread (a thousand processes or a failing device never hold up the window); the results are applied
// on this object's thread, where they extend the histories of processor load, memory in use and the
// largest volume's free space, each to its 120 newest values.
//
// Stopping (the screen hidden) ends the run: nothing more is sampled, and results still on their way
// are dropped. A new root restarts the run with a pass at once; the histories are kept. A volume read
// that has not come back is not doubled by the next pass of the same run.
class SamplingLoop : public QObject {
    Q_OBJECT
  public:
    static constexpr size_t kHistoryLength = 120;
    static constexpr int kIntervalMs = 2000;

    // Called on pool threads; they must stay callable after the loop is gone.
    struct Sources {
        std::function<SystemMonitor::Snapshot()> sample;
        std::function<std::vector<VolumeInfo>()> volumes;
    };

    // The pools outlive every job they are given (a job may still run after the loop has gone).
    SamplingLoop(Sources sources, QThreadPool* samplePool, QThreadPool* volumePool,
                 int intervalMs = kIntervalMs, QObject* parent = nullptr);

    void setRunning(bool running);
    bool isRunning() const { return running_; }
    // The scanned folder the run is for ("/" without a scan); a different one restarts a running loop.
    void setRoot(const std::string& root);

    const SystemMonitor::Snapshot& snapshot() const { return snapshot_; }
    const std::vector<double>& cpuHistory() const { return cpuHistory_; }             // percent
    const std::vector<double>& memoryHistory() const { return memoryHistory_; }       // percent of the total
    const std::vector<double>& freeSpaceHistory() const { return freeSpaceHistory_; } // bytes
    const std::vector<VolumeInfo>& volumes() const { return volumes_; }

  signals:
    // The snapshot and the processor and memory histories changed.
    void sampled();
    // The volumes and the free-space history changed.
    void volumesChanged();

  private:
    void pass();
    void applySample(uint64_t run, SystemMonitor::Snapshot snapshot);
    void applyVolumes(uint64_t run, std::vector<VolumeInfo> volumes);
    static void append(std::vector<double>& history, double value);

    std::shared_ptr<const Sources> sources_;
    QThreadPool* samplePool_;
    QThreadPool* volumePool_;
    QTimer next_;
    uint64_t run_ = 1;
    bool running_ = false;
    std::string root_ = "/";
    uint64_t volumeRun_ = 0; // the run of the volume read on its way, 0 for none

    SystemMonitor::Snapshot snapshot_;
    std::vector<double> cpuHistory_, memoryHistory_, freeSpaceHistory_;
    std::vector<VolumeInfo> volumes_;
};
