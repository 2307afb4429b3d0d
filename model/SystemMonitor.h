#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Live processor, memory, network and process figures for the Monitor screen. Rates are differences
// between two samples, so a sampler keeps the previous counters under its own lock; the first sample
// reports zero for every rate.
namespace SystemMonitor {

struct CPUStats {
    double user = 0;   // percent of processor time in user and nice mode since the previous sample
    double system = 0; // kernel, interrupts and steal
    double idle = 0;   // idle and waiting for I/O
    double loadAverage = 0;
};

// Bytes. Mapped so that total - free is MemTotal - MemAvailable: free is what programs can still get.
struct MemoryStats {
    int64_t wired = 0;      // memory the kernel cannot reclaim: unevictable, kernel stacks, page tables, slab
    int64_t compressed = 0; // the zswap pool
    int64_t active = 0;
    int64_t inactive = 0;
    int64_t free = 0;  // MemAvailable
    int64_t total = 0; // MemTotal
};

struct NetworkStats {
    double downBytesPerSec = 0; // never negative, 0 when not measurable
    double upBytesPerSec = 0;
    int64_t sessionDown = 0; // bytes since the sampler's first sample
    int64_t sessionUp = 0;
};

struct ProcessStat {
    int32_t pid = 0;
    std::string name;
    double cpuPercent = 0;   // of one processor, at most 100 per online processor
    int64_t memoryBytes = 0; // resident

    friend bool operator==(const ProcessStat&, const ProcessStat&) = default;
};

constexpr size_t kTopProcessCount = 60;

struct Snapshot {
    CPUStats cpu;
    MemoryStats memory;
    NetworkStats network;
    std::vector<ProcessStat> topProcessesByCPU;    // busiest first, at most kTopProcessCount
    std::vector<ProcessStat> topProcessesByMemory; // largest first, at most kTopProcessCount
    int64_t processCount = 0;                      // processes measured, before the cut
};

// Where a sampler reads from. Tests point the roots at fixture folders and drive the clock.
struct Sources {
    std::string procRoot = "/proc";
    std::string sysRoot = "/sys";
    std::function<double()> loadAverage; // one-minute load; null means getloadavg
    std::function<double()> clock;       // monotonic seconds; null means the steady clock
    int64_t pageSize = 0;                // 0 means the system's
    int64_t ticksPerSecond = 0;          // 0 means the system's
};

// One sampler with its own previous counters. sample() may be called from any thread; it holds the
// sampler's lock for the whole sample, so overlapping calls are served one after another.
class Sampler {
  public:
    explicit Sampler(Sources sources = {});
    ~Sampler();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    Snapshot sample();

  private:
    struct State;
    std::mutex mutex_;
    std::unique_ptr<State> state_;
};

// The process-wide sampler of this machine, made on first use and kept until the process ends, so
// session totals count from the first sample of the run.
Snapshot sample();

} // namespace SystemMonitor
