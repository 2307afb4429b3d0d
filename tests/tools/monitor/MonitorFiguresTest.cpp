#include "tools/monitor/MonitorFigures.h"
#include "shell/style/Formatters.h"
#include "tests/support/TempDir.h"
#include "tools/monitor/ProcessFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace monitor_figures;

TEST(MonitorFigures, RatesAreWholeBytesNeverNegativeAndNeverPastTheLargestCount) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const std::pair<double, int64_t> cases[] = {
        {999.9, 999},
        {0, 0},
        {-5, 0},
        {std::nan(""), 0},
        {std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::infinity(), 0},
        {1e30, kMax},
        {9223372036854775807.0, kMax}, // rounds up to 2^63, one past the largest count
        {9223372036854774784.0, 9223372036854774784},
    };
    for (auto [rate, bytes] : cases)
        EXPECT_EQ(wholeBytes(rate), bytes) << rate;
    EXPECT_EQ(rateText(999.9), formatBytes(999) + "/s");
    EXPECT_EQ(rateText(std::nan("")), formatBytes(0) + "/s");
}

// The memory card's parts as the sampler reads them from a meminfo: used is MemTotal - MemAvailable.
TEST(MonitorFigures, MemoryUsedIsTotalMinusAvailable) {
    TempDir dir;
    writeFileText(dir.path() / "proc/meminfo", "MemTotal: 16318812 kB\nMemFree: 500000 kB\n"
                                               "MemAvailable: 9123456 kB\nUnevictable: 10000 kB\n"
                                               "SUnreclaim: 20000 kB\nKernelStack: 30000 kB\n"
                                               "PageTables: 40000 kB\nZswap: 50000 kB\n");
    SystemMonitor::Sampler sampler({(dir.path() / "proc").string(), (dir.path() / "sys").string(),
                                    [] { return 0.0; }, [] { return 0.0; }, 4096, 100});
    const MemoryParts parts = memoryParts(sampler.sample().memory);
    EXPECT_EQ(parts.used, (16318812LL - 9123456LL) * 1024);
    EXPECT_EQ(parts.wired, 100000LL * 1024);
    EXPECT_EQ(parts.compressed, 50000LL * 1024);
}

TEST(MonitorFigures, MemoryPartsAreNeverNegative) {
    struct Case {
        SystemMonitor::MemoryStats memory; // wired, compressed, active, inactive, free, total
        MemoryParts parts;                 // used, wired, compressed, other used, free
    } cases[] = {
        {{10, 5, 0, 0, 60, 100}, {40, 10, 5, 25, 60}},
        {{10, 5, 0, 0, 150, 100}, {0, 10, 5, 0, 150}},  // more free than total
        {{30, 20, 0, 0, 80, 100}, {20, 30, 20, 0, 80}}, // wired and compressed above used
        {{-3, -4, 0, 0, -5, 0}, {0, 0, 0, 0, 0}},
        {{0, 0, 0, 0, 0, std::numeric_limits<int64_t>::max()},
         {std::numeric_limits<int64_t>::max(), 0, 0, std::numeric_limits<int64_t>::max(), 0}},
    };
    for (const Case& c : cases) {
        const MemoryParts p = memoryParts(c.memory);
        EXPECT_EQ(std::tie(p.used, p.wired, p.compressed, p.otherUsed, p.free),
                  std::tie(c.parts.used, c.parts.wired, c.parts.compressed, c.parts.otherUsed, c.parts.free))
            << c.memory.total << " " << c.memory.free;
    }
    EXPECT_FALSE(memoryPercent({1, 1, 1, 1, 1, 0}).has_value());
    EXPECT_DOUBLE_EQ(*memoryPercent({10, 5, 0, 0, 60, 100}), 40);
    EXPECT_DOUBLE_EQ(*memoryPercent({0, 0, 0, 0, 150, 100}), 0);
}

TEST(MonitorFigures, StorageListCutsToThreeWithAToggleFromFourVolumes) {
    const struct {
        size_t volumes;
        bool expanded;
        size_t shown;
        const char* title; // null: no toggle
    } cases[] = {
        {0, false, 0, nullptr},
        {3, false, 3, nullptr},
        {3, true, 3, nullptr},
        {4, false, 3, "Show 1 more volume"},
        {4, true, 4, "Show fewer volumes"},
        {6, false, 3, "Show 3 more volumes"},
        {6, true, 6, "Show fewer volumes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shownVolumeCount(c.volumes, c.expanded), c.shown) << c.volumes << c.expanded;
        EXPECT_EQ(hasVolumeToggle(c.volumes), c.title != nullptr) << c.volumes;
        if (c.title) {
            EXPECT_EQ(volumeToggleTitle(c.volumes, c.expanded), c.title);
        }
    }
}

// The used part follows df's share (reserved blocks on neither side) and never falls below 3 points.
TEST(MonitorFigures, UsedBarFollowsDfsShareWithAThreePointSliver) {
    const struct {
        DiskInfo disk; // name, total, free, used
        double width;
    } cases[] = {
        {{"empty", 1000, 1000, 0}, 3},
        {{"full", 1000, 0, 1000}, 200},
        {{"reserved", 1000, 250, 700}, 200 * 700.0 / 950.0},
        {{"more free than total", 1000, 2000, 0}, 3},
        {{"no total", 0, 0, 0}, 3},
        {{"tiny share", 1'000'000, 999'999, 1}, 3},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(usedBarWidth(c.disk, 200), c.width) << c.disk.name;
}

SystemMonitor::ProcessStat process(int32_t pid, const char* name, double cpu, int64_t memory) {
    return {pid, name, cpu, memory};
}

TEST(ProcessTable, FilterIgnoresCaseKeepsSpacesAndNeverSearchesPids) {
    SystemMonitor::Snapshot s;
    s.topProcessesByCPU = {process(4242, "Web Content", 50, 10), process(7, "kworker42", 20, 30),
                           process(42, "bash", 10, 20), process(9, "ÉDITEUR", 5, 5)};
    s.topProcessesByMemory = {s.topProcessesByCPU[1], s.topProcessesByCPU[2], s.topProcessesByCPU[0]};
    auto pids = [&](ProcessSort sort, const QString& search) {
        std::vector<int32_t> out;
        for (const auto& p : process_table::visibleProcesses(s, sort, search))
            out.push_back(p.pid);
        return out;
    };
    using V = std::vector<int32_t>;
    const struct {
        ProcessSort sort;
        const char* search;
        V pids;
    } cases[] = {
        {ProcessSort::cpu, "", {4242, 7, 42, 9}},
        {ProcessSort::memory, "", {7, 42, 4242}},
        {ProcessSort::cpu, "web", {4242}},
        {ProcessSort::cpu, "WEB CONTENT", {4242}},
        {ProcessSort::cpu, " ", {4242}},    // one space is a filter, not nothing
        {ProcessSort::cpu, "42", {7}},      // in kworker42's name; pids 4242 and 42 are not searched
        {ProcessSort::cpu, "éditeur", {9}}, // letter case beyond ASCII
        {ProcessSort::memory, "bash", {42}},
        {ProcessSort::cpu, "nothing", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pids(c.sort, QString::fromUtf8(c.search)), c.pids) << c.search;
}

TEST(ProcessTable, SixteenRowsWhileCollapsedAndAToggleFromSeventeen) {
    const struct {
        size_t visible;
        bool expanded;
        size_t rows;
        const char* title; // null: no toggle
    } cases[] = {
        {0, false, 0, nullptr},         {16, false, 16, nullptr},     {16, true, 16, nullptr},
        {17, false, 16, "Show all 17"}, {17, true, 17, "Show fewer"}, {60, false, 16, "Show all 60"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(process_table::shownRowCount(c.visible, c.expanded), c.rows) << c.visible << c.expanded;
        EXPECT_EQ(process_table::hasToggle(c.visible), c.title != nullptr) << c.visible;
        if (c.title) {
            EXPECT_EQ(process_table::toggleTitle(c.visible, c.expanded), c.title);
        }
    }
}

} // namespace
