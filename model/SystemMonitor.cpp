#include "model/SystemMonitor.h"

#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/ProcFiles.h"
#include "platform/TextLines.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace SystemMonitor {
namespace {

// No interface moves more than this; anything above comes from a counter that jumped.
constexpr double kMaxBytesPerSecond = 1e12;

struct CpuTicks {
    uint64_t user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
};

struct ProcessTime {
    uint64_t ticks = 0;
    uint64_t startTime = 0;
    std::string comm; // the kernel's name and the name shown for it, kept so a command line is read once
    std::string name;
};

struct InterfaceCounters {
    uint64_t down = 0;
    uint64_t up = 0;
};

// A rate or share that is not finite, is negative or exceeds `limit` is not a measurement.
double sane(double value, double limit) {
    return std::isfinite(value) && value >= 0 && value <= limit ? value : 0.0;
}

template <class T> bool parseNumber(std::string_view text, T& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc{};
}

int64_t saturatingBytes(uint64_t value, uint64_t unit) {
    const uint64_t max = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    return value > max / unit ? std::numeric_limits<int64_t>::max() : static_cast<int64_t>(value * unit);
}

} // namespace

using platform::forEachLine;
using platform::splitWords;

struct Sampler::State {
    Sources sources;
    std::optional<CpuTicks> previousCPU;
    std::unordered_map<int32_t, ProcessTime> previousProcessTimes;
    double previousProcessDate = 0;
    std::unordered_map<std::string, InterfaceCounters> previousNet;
    std::optional<double> previousNetDate;
    uint64_t sessionDown = 0;
    uint64_t sessionUp = 0;
    int processorCount = 1;

    double now() const { return sources.clock(); }
    std::string proc(std::string_view relative) const {
        return sources.procRoot + "/" + std::string(relative);
    }

    CPUStats sampleCPU();
    MemoryStats sampleMemory();
    NetworkStats sampleNetwork();
    void sampleProcesses(Snapshot& snapshot);
    std::string fullName(int pid, const std::string& comm) const;
};

CPUStats Sampler::State::sampleCPU() {
    CPUStats stats;
    stats.loadAverage = sane(sources.loadAverage(), 1e9);

    auto text = platform::readTextFile(proc("stat"), platform::kProcTextLimit);
    if (!text) return stats;
    std::optional<CpuTicks> current;
    int cpus = 0;
    forEachLine(*text, [&](std::string_view line) {
        if (line.starts_with("cpu ")) {
            auto w = splitWords(line);
            CpuTicks t;
            uint64_t* fields[] = {&t.user,   &t.nice, &t.system,  &t.idle,
                                  &t.iowait, &t.irq,  &t.softirq, &t.steal};
            bool ok = w.size() >= 5;
            for (size_t i = 0; ok && i < 8 && i + 1 < w.size(); ++i)
                ok = parseNumber(w[i + 1], *fields[i]);
            if (ok) current = t;
        } else if (line.starts_with("cpu")) {
            ++cpus;
        }
    });
    if (!current) return stats;
    processorCount = std::max(cpus, 1);

    if (previousCPU) {
        const CpuTicks& p = *previousCPU;
        const CpuTicks& c = *current;
        // 64-bit tick counters do not wrap; one that went backwards (a processor taken offline)
        // makes this interval unmeasurable.
        auto delta = [](uint64_t now, uint64_t before, bool& ok) {
            if (now < before) ok = false;
            return static_cast<double>(now - before);
        };
        bool ok = true;
        double user = delta(c.user, p.user, ok) + delta(c.nice, p.nice, ok);
        double system = delta(c.system, p.system, ok) + delta(c.irq, p.irq, ok) +
                        delta(c.softirq, p.softirq, ok) + delta(c.steal, p.steal, ok);
        double idle = delta(c.idle, p.idle, ok) + delta(c.iowait, p.iowait, ok);
        double total = user + system + idle;
        if (ok && total > 0) {
            stats.user = sane(user / total * 100, 100);
            stats.system = sane(system / total * 100, 100);
            stats.idle = sane(idle / total * 100, 100);
        }
    }
    previousCPU = current;
    return stats;
}

MemoryStats Sampler::State::sampleMemory() {
    MemoryStats stats;
    auto text = platform::readTextFile(proc("meminfo"), platform::kProcTextLimit);
    if (!text) return stats;
    std::unordered_map<std::string_view, uint64_t> kB;
    forEachLine(*text, [&](std::string_view line) {
        size_t colon = line.find(':');
        uint64_t value = 0;
        if (colon != std::string_view::npos && parseNumber(line.substr(colon + 1), value))
            kB[line.substr(0, colon)] = value;
    });
    // Sums of kB figures stay far below 2^64; the conversion to bytes saturates.
    auto bytes = [&](std::initializer_list<std::string_view> keys) {
        uint64_t sum = 0;
        for (auto key : keys)
            if (auto it = kB.find(key); it != kB.end())
                sum += std::min<uint64_t>(it->second, uint64_t{1} << 53);
        return saturatingBytes(sum, 1024);
    };
    stats.total = bytes({"MemTotal"});
    // MemAvailable is the kernel's estimate of what programs can still get without swapping, so the
    // screen's used (total - free) is MemTotal - MemAvailable, the "used" column of free(1).
    stats.free =
        kB.contains("MemAvailable") ? bytes({"MemAvailable"}) : bytes({"MemFree", "Cached", "Buffers"});
    stats.free = std::clamp<int64_t>(stats.free, 0, stats.total);
    stats.wired = bytes({"Unevictable", "SUnreclaim", "KernelStack", "PageTables"});
    stats.compressed = bytes({"Zswap"});
    stats.active = bytes({"Active"});
    stats.inactive = bytes({"Inactive"});
    return stats;
}

NetworkStats Sampler::State::sampleNetwork() {
    NetworkStats stats;
    auto text = platform::readTextFile(proc("net/dev"), platform::kProcTextLimit);
    if (!text) return stats;
    std::unordered_map<std::string, InterfaceCounters> current;
    forEachLine(*text, [&](std::string_view line) {
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) return; // the two header lines
        auto nameWords = splitWords(line.substr(0, colon));
        if (nameWords.size() != 1) return;
        std::string name(nameWords[0]);
        auto w = splitWords(line.substr(colon + 1));
        InterfaceCounters counters;
        if (w.size() < 9 || !parseNumber(w[0], counters.down) || !parseNumber(w[8], counters.up)) return;
        // Up, not loopback, and backed by a device (virtual bridges, tunnels and veths have none).
        std::string sys = sources.sysRoot + "/class/net/" + name;
        auto flagsText = platform::readTextFile(sys + "/flags", 64);
        unsigned long flags = flagsText ? std::strtoul(flagsText->c_str(), nullptr, 16) : 0;
        struct stat st {};
        if (!(flags & 0x1) || (flags & 0x8) || ::lstat((sys + "/device").c_str(), &st) != 0) return;
        current[name] = counters;
    });

    const double now = this->now();
    // Per interface, so an interface that appears, disappears or resets its counters adds nothing
    // for that interval instead of a jump of its whole history.
    uint64_t down = 0, up = 0;
    for (const auto& [name, c] : current) {
        auto it = previousNet.find(name);
        if (it == previousNet.end()) continue;
        if (c.down >= it->second.down) down += c.down - it->second.down;
        if (c.up >= it->second.up) up += c.up - it->second.up;
    }
    if (previousNetDate) {
        double elapsed = now - *previousNetDate;
        if (elapsed > 0) {
            stats.downBytesPerSec = sane(static_cast<double>(down) / elapsed, kMaxBytesPerSecond);
            stats.upBytesPerSec = sane(static_cast<double>(up) / elapsed, kMaxBytesPerSecond);
        }
    }
    sessionDown += down;
    sessionUp += up;
    stats.sessionDown = saturatingBytes(sessionDown, 1);
    stats.sessionUp = saturatingBytes(sessionUp, 1);
    previousNet = std::move(current);
    previousNetDate = now;
    return stats;
}

// The kernel keeps 15 bytes of a name; the command line usually has the whole of it.
std::string Sampler::State::fullName(int pid, const std::string& comm) const {
    if (comm.size() < 15) return comm;
    auto cmdline = platform::readTextFile(proc(std::to_string(pid) + "/cmdline"), 64 * 1024);
    if (!cmdline) return comm;
    std::string_view args(*cmdline);
    // The program, or for an interpreted script the script after the interpreter.
    for (int i = 0; i < 2 && !args.empty(); ++i) {
        size_t end = args.find('\0');
        std::string candidate = platform::lastComponent(args.substr(0, end));
        if (candidate.size() > comm.size() && candidate.starts_with(comm)) return candidate;
        if (end == std::string_view::npos) break;
        args.remove_prefix(end + 1);
    }
    return comm;
}

void Sampler::State::sampleProcesses(Snapshot& snapshot) {
    const double cap = 100.0 * processorCount;
    const double now = this->now();
    const double elapsed = now - previousProcessDate;
    std::unordered_map<int32_t, ProcessTime> times;
    std::vector<ProcessStat> all;
    for (int pid : platform::listPids(sources.procRoot)) {
        // A process may end between the listing and these reads: it is then left out.
        auto st = platform::readProcStat(sources.procRoot, pid);
        if (!st || st->isKernelThread()) continue;

        const uint64_t ticks = st->utime + st->stime;
        ProcessStat stat;
        stat.pid = pid;
        stat.memoryBytes = saturatingBytes(st->rss, static_cast<uint64_t>(sources.pageSize));
        auto previous = previousProcessTimes.find(pid);
        // A pid with another start time belongs to a new process, which starts at 0 percent.
        const bool same =
            previous != previousProcessTimes.end() && previous->second.startTime == st->startTime;
        if (same && ticks >= previous->second.ticks && elapsed > 0) {
            double seconds = static_cast<double>(ticks - previous->second.ticks) /
                             static_cast<double>(sources.ticksPerSecond);
            double percent = seconds / elapsed * 100;
            stat.cpuPercent = std::isfinite(percent) && percent > 0 ? std::min(percent, cap) : 0.0;
        }
        // The same process under the same kernel name (an exec renames it) keeps the name it had.
        if (same && previous->second.comm == st->comm) {
            stat.name = previous->second.name;
        } else {
            stat.name = fullName(pid, st->comm);
            if (stat.name.empty()) stat.name = "pid " + std::to_string(pid);
        }
        times[pid] = {ticks, st->startTime, std::move(st->comm), stat.name};
        all.push_back(std::move(stat));
    }
    previousProcessTimes = std::move(times);
    previousProcessDate = now;

    snapshot.processCount = static_cast<int64_t>(all.size());
    auto top = [&](auto larger) {
        std::vector<ProcessStat> list = all;
        std::stable_sort(list.begin(), list.end(), larger);
        if (list.size() > kTopProcessCount) list.resize(kTopProcessCount);
        return list;
    };
    snapshot.topProcessesByCPU =
        top([](const ProcessStat& a, const ProcessStat& b) { return a.cpuPercent > b.cpuPercent; });
    snapshot.topProcessesByMemory =
        top([](const ProcessStat& a, const ProcessStat& b) { return a.memoryBytes > b.memoryBytes; });
}

Sampler::Sampler(Sources sources) : state_(std::make_unique<State>()) {
    if (!sources.loadAverage)
        sources.loadAverage = [] {
            double loads[3] = {0, 0, 0};
            return ::getloadavg(loads, 3) >= 1 ? loads[0] : 0.0;
        };
    if (!sources.clock)
        sources.clock = [] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        };
    if (sources.pageSize <= 0) sources.pageSize = std::max<long>(::sysconf(_SC_PAGESIZE), 1);
    if (sources.ticksPerSecond <= 0) sources.ticksPerSecond = std::max<long>(::sysconf(_SC_CLK_TCK), 1);
    state_->sources = std::move(sources);
}

Sampler::~Sampler() = default;

Snapshot Sampler::sample() {
    std::lock_guard lock(mutex_);
    Snapshot snapshot;
    snapshot.cpu = state_->sampleCPU();
    snapshot.memory = state_->sampleMemory();
    snapshot.network = state_->sampleNetwork();
    state_->sampleProcesses(snapshot);
    return snapshot;
}

Snapshot sample() {
    // Never destroyed: a sample may still run on a worker thread while the process exits.
    static Sampler* const sampler = new Sampler();
    return sampler->sample();
}

} // namespace SystemMonitor
