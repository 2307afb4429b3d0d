#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The most Brenwick reads of a /proc file it reads whole (stat, meminfo, net/dev, environ).
constexpr size_t kProcTextLimit = size_t{1} << 20;

// The fields Brenwick reads from /proc/PID/stat.
struct ProcStat {
    int pid = 0;
    std::string comm; // as the kernel keeps it: at most 15 bytes
    char state = '?';
    int ppid = 0;
    uint64_t flags = 0;
    uint64_t utime = 0; // clock ticks
    uint64_t stime = 0;
    uint64_t startTime = 0; // clock ticks after boot
    uint64_t rss = 0;       // resident pages, as /proc/PID/statm's second figure

    bool isKernelThread() const { return (flags & 0x00200000u) != 0; } // PF_KTHREAD
};

// Parses one /proc/PID/stat line. The name sits in parentheses and may itself hold spaces or ')'.
std::optional<ProcStat> parseProcStat(std::string_view text);
std::optional<ProcStat> readProcStat(const std::string& procRoot, int pid);

// The numeric entries of a /proc folder, ascending.
std::vector<int> listPids(const std::string& procRoot);

} // namespace platform
