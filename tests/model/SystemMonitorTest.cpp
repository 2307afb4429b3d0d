#include "model/SystemMonitor.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace SystemMonitor;

namespace {

void write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// A fixture /proc and /sys with a clock the test moves. 100 ticks per second, 4096-byte pages.
class FakeSystem {
public:
    FakeSystem() : proc_(dir_.makeDir("proc")), sys_(dir_.makeDir("sys")) {
        setCpu(0, 0, 0, 0, 0);
        setMemory(16'000'000, 4'000'000);
        write(proc_ / "net/dev", netHeader());
    }

    Sampler make() {
        Sources s;
        s.procRoot = proc_.string();
        s.sysRoot = sys_.string();
        s.loadAverage = [] { return 1.25; };
        s.clock = [this] { return now; };
        s.pageSize = 4096;
        s.ticksPerSecond = 100;
        return Sampler(s);
    }

    void setCpu(uint64_t user, uint64_t nice, uint64_t system, uint64_t idle, uint64_t iowait, int cpus = 2) {
        std::ostringstream out;
        out << "cpu  " << user << ' ' << nice << ' ' << system << ' ' << idle << ' ' << iowait << " 0 0 0 0 0\n";
        for (int i = 0; i < cpus; ++i) out << "cpu" << i << " 1 1 1 1 1 0 0 0 0 0\n";
        out << "intr 1 2 3\nctxt 5\n";
        write(proc_ / "stat", out.str());
    }

    void setMemory(uint64_t totalKb, uint64_t availableKb) {
        write(proc_ / "meminfo", "MemTotal:       " + std::to_string(totalKb) + " kB\n"
                                 "MemFree:          500000 kB\n"
                                 "MemAvailable:    " + std::to_string(availableKb) + " kB\n"
                                 "Active:          3000000 kB\nInactive:        2000000 kB\n"
                                 "Unevictable:       10000 kB\nSUnreclaim:        20000 kB\n"
                                 "KernelStack:       30000 kB\nPageTables:        40000 kB\n"
                                 "Zswap:             50000 kB\n");
    }

    static std::string netHeader() {
        return "Inter-|   Receive                            |  Transmit\n"
               " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs drop fifo colls carrier compressed\n";
    }
    static std::string netLine(const std::string& name, uint64_t down, uint64_t up) {
        return "  " + name + ": " + std::to_string(down) + " 10 0 0 0 0 0 0 " + std::to_string(up) + " 10 0 0 0 0 0 0\n";
    }
    void addInterface(const std::string& name, const std::string& flags, bool device) {
        write(sys_ / "class/net" / name / "flags", flags + "\n");
        if (device) fs::create_directories(sys_ / "class/net" / name / "device");
    }
    void setNet(const std::string& lines) { write(proc_ / "net/dev", netHeader() + lines); }

    void setProcess(int pid, const std::string& comm, uint64_t ticks, uint64_t residentPages,
                    uint64_t startTime = 100, bool kernel = false, const std::string& cmdline = "") {
        fs::path d = proc_ / std::to_string(pid);
        write(d / "stat", std::to_string(pid) + " (" + comm + ") S 1 1 1 0 -1 " + (kernel ? "2129984" : "4194560") +
                              " 0 0 0 0 " + std::to_string(ticks) + " 0 0 0 20 0 1 0 " + std::to_string(startTime) +
                              " 1000 " + std::to_string(residentPages) + "\n");
        write(d / "statm", "1000 " + std::to_string(residentPages) + " 10 1 0 5 0\n");
        write(d / "cmdline", cmdline);
    }
    void removeProcess(int pid) { fs::remove_all(proc_ / std::to_string(pid)); }
    const fs::path& proc() const { return proc_; }

    double now = 1000;

private:
    TempDir dir_;
    fs::path proc_, sys_;
};

std::vector<int> pids(const std::vector<ProcessStat>& list) {
    std::vector<int> out;
    for (const auto& p : list) out.push_back(p.pid);
    return out;
}

} // namespace

TEST(SystemMonitorCpu, SharesComeFromTheTickDifferencesBetweenTwoSamples) {
    FakeSystem fake;
    Sampler sampler = fake.make();
    fake.setCpu(1000, 100, 500, 8000, 400);
    Snapshot first = sampler.sample();
    EXPECT_EQ(first.cpu.user, 0);
    EXPECT_EQ(first.cpu.system, 0);
    EXPECT_EQ(first.cpu.idle, 0);
    EXPECT_EQ(first.cpu.loadAverage, 1.25);

    // +150 user, +50 nice, +100 system, +600 idle, +100 iowait: 1000 ticks.
    fake.setCpu(1150, 150, 600, 8600, 500);
    Snapshot second = sampler.sample();
    EXPECT_DOUBLE_EQ(second.cpu.user, 20);
    EXPECT_DOUBLE_EQ(second.cpu.system, 10);
    EXPECT_DOUBLE_EQ(second.cpu.idle, 70);

    // No ticks at all, then a counter that went backwards: no share rather than nonsense.
    Snapshot idle = sampler.sample();
    EXPECT_EQ(idle.cpu.user + idle.cpu.system + idle.cpu.idle, 0);
    fake.setCpu(1100, 150, 700, 8700, 500);
    Snapshot reset = sampler.sample();
    EXPECT_EQ(reset.cpu.user + reset.cpu.system + reset.cpu.idle, 0);
    fake.setCpu(1200, 150, 700, 8800, 500);
    EXPECT_DOUBLE_EQ(sampler.sample().cpu.user, 50);
}

TEST(SystemMonitorMemory, UsedAgreesWithTotalMinusAvailable) {
    FakeSystem fake;
    fake.setMemory(16'318'812, 9'123'456);
    MemoryStats m = fake.make().sample().memory;
    const int64_t expectedUsed = (16'318'812LL - 9'123'456LL) * 1024;
    EXPECT_EQ(m.total, 16'318'812LL * 1024);
    EXPECT_LE(std::abs(static_cast<double>(m.total - m.free - expectedUsed)), 0.02 * static_cast<double>(expectedUsed));
    EXPECT_EQ(m.wired, 100'000LL * 1024);
    EXPECT_EQ(m.compressed, 50'000LL * 1024);
    EXPECT_EQ(m.active, 3'000'000LL * 1024);
    EXPECT_EQ(m.inactive, 2'000'000LL * 1024);

    // Unreadable: zeros, not garbage.
    fs::remove(fake.proc() / "meminfo");
    MemoryStats none = fake.make().sample().memory;
    EXPECT_EQ(none.total + none.free + none.wired + none.active, 0);
}

TEST(SystemMonitorNetwork, RatesCountPhysicalInterfacesThatAreUp) {
    FakeSystem fake;
    fake.addInterface("eth0", "0x1003", true);
    fake.addInterface("wlan0", "0x1003", true);
    fake.addInterface("lo", "0x9", false);        // loopback
    fake.addInterface("docker0", "0x1003", false); // virtual
    fake.addInterface("eth1", "0x1002", true);    // down
    auto net = [&](uint64_t eth0Down, uint64_t eth0Up, uint64_t wlanDown, uint64_t others) {
        fake.setNet(FakeSystem::netLine("lo", others, others) + FakeSystem::netLine("eth0", eth0Down, eth0Up) +
                    FakeSystem::netLine("docker0", others, others) + FakeSystem::netLine("eth1", others, others) +
                    FakeSystem::netLine("wlan0", wlanDown, 0));
    };
    Sampler sampler = fake.make();
    net(5'000'000'000'000ULL, 1000, 300, 1);
    NetworkStats first = sampler.sample().network;
    EXPECT_EQ(first.downBytesPerSec, 0);
    EXPECT_EQ(first.sessionDown, 0);

    fake.now += 2;
    net(5'000'000'004'000ULL, 3000, 1300, 999'999);
    NetworkStats second = sampler.sample().network;
    EXPECT_DOUBLE_EQ(second.downBytesPerSec, 2500);
    EXPECT_DOUBLE_EQ(second.upBytesPerSec, 1000);
    EXPECT_EQ(second.sessionDown, 5000);
    EXPECT_EQ(second.sessionUp, 2000);

    // eth0's counters reset (driver reload) while wlan0 moved on; then a sample with no time between.
    fake.now += 1;
    net(100, 100, 2300, 5);
    NetworkStats reset = sampler.sample().network;
    EXPECT_DOUBLE_EQ(reset.downBytesPerSec, 1000);
    EXPECT_DOUBLE_EQ(reset.upBytesPerSec, 0);
    EXPECT_EQ(reset.sessionDown, 6000);
    net(200, 100, 2400, 5);
    NetworkStats instant = sampler.sample().network;
    EXPECT_EQ(instant.downBytesPerSec, 0);
    EXPECT_EQ(instant.sessionDown, 6200); // the bytes still count

    // An interface that disappears adds nothing; a new one starts counting from its first sample.
    fake.now += 1;
    fake.addInterface("eth2", "0x1003", true);
    fake.setNet(FakeSystem::netLine("eth2", 1'000'000, 0) + FakeSystem::netLine("wlan0", 2400, 0));
    EXPECT_EQ(sampler.sample().network.downBytesPerSec, 0);
    fake.now += 1;
    fake.setNet(FakeSystem::netLine("eth2", 1'000'050, 0) + FakeSystem::netLine("wlan0", 2400, 0));
    EXPECT_DOUBLE_EQ(sampler.sample().network.downBytesPerSec, 50);
}

TEST(SystemMonitorProcesses, MeasuresUserProcessesAndCutsTheListsAt60) {
    FakeSystem fake;
    for (int pid = 100; pid < 170; ++pid) fake.setProcess(pid, "p" + std::to_string(pid), 0, static_cast<uint64_t>(pid % 7));
    fake.setProcess(2, "kthreadd", 5000, 0, 1, true);
    fake.setProcess(170, "longprocessname", 0, 1, 100, false,
                    std::string("/usr/bin/longprocessname-helper\0--flag\0", 39));
    fake.setProcess(171, "python3-scriptn", 0, 1, 100, false,
                    std::string("/usr/bin/python3\0/opt/python3-scriptname.py\0", 45));
    fake.setProcess(172, "", 0, 1);
    fs::create_directories(fake.proc() / "173"); // ended between the listing and the reads
    fake.setProcess(174, "gone-statm", 0, 1);
    fs::remove(fake.proc() / "174/statm");

    Sampler sampler = fake.make();
    Snapshot first = sampler.sample();
    EXPECT_EQ(first.processCount, 73); // 70 + 170, 171, 172; not the kernel thread nor the vanished ones
    ASSERT_EQ(first.topProcessesByCPU.size(), kTopProcessCount);
    ASSERT_EQ(first.topProcessesByMemory.size(), kTopProcessCount);
    for (const auto& p : first.topProcessesByCPU) EXPECT_EQ(p.cpuPercent, 0);
    // All at 0 percent: the listing order stands.
    EXPECT_EQ(first.topProcessesByCPU.front().pid, 100);
    EXPECT_EQ(first.topProcessesByMemory.front().memoryBytes, 6 * 4096);
    EXPECT_EQ(first.topProcessesByMemory.front().pid, 104); // the first with 6 pages
    for (const auto* list : {&first.topProcessesByCPU, &first.topProcessesByMemory})
        for (const auto& p : *list) EXPECT_NE(p.pid, 2);

    // Names: full from the command line when cut short, "pid N" when there is none.
    fake.setProcess(170, "longprocessname", 10, 100, 100, false,
                    std::string("/usr/bin/longprocessname-helper\0--flag\0", 39));
    fake.setProcess(171, "python3-scriptn", 10, 99, 100, false,
                    std::string("/usr/bin/python3\0/opt/python3-scriptname.py\0", 45));
    fake.setProcess(172, "", 10, 98);
    // Over 2 s with 2 processors: 4 s of processor time is 200 percent, the cap; 10 s is capped too.
    fake.now += 2;
    fake.setProcess(100, "p100", 400, 1);
    fake.setProcess(101, "p101", 1000, 1);
    fake.setProcess(102, "p102", 50, 1, 999); // the pid now belongs to another process
    fake.removeProcess(103);
    Snapshot second = sampler.sample();
    EXPECT_EQ(second.processCount, 72);
    ASSERT_GE(second.topProcessesByCPU.size(), 5u);
    EXPECT_EQ(pids(second.topProcessesByCPU).at(0), 100);
    EXPECT_DOUBLE_EQ(second.topProcessesByCPU[0].cpuPercent, 200);
    EXPECT_EQ(second.topProcessesByCPU[1].pid, 101);
    EXPECT_DOUBLE_EQ(second.topProcessesByCPU[1].cpuPercent, 200);
    EXPECT_DOUBLE_EQ(second.topProcessesByCPU[2].cpuPercent, 5); // 170: 10 ticks in 2 s
    EXPECT_EQ(second.topProcessesByCPU[2].name, "longprocessname-helper");
    EXPECT_EQ(second.topProcessesByCPU[3].name, "python3-scriptname.py");
    EXPECT_EQ(second.topProcessesByCPU[4].name, "pid 172");
    for (const auto& p : second.topProcessesByCPU) {
        if (p.pid == 102) {
            EXPECT_EQ(p.cpuPercent, 0);
        }
    }
    // Largest first; equal sizes keep the listing order.
    const auto& byMemory = second.topProcessesByMemory;
    ASSERT_EQ(byMemory.size(), kTopProcessCount);
    EXPECT_EQ(pids(byMemory).at(0), 170);
    EXPECT_EQ(pids(byMemory).at(2), 172);
    for (size_t i = 1; i < byMemory.size(); ++i) {
        EXPECT_GE(byMemory[i - 1].memoryBytes, byMemory[i].memoryBytes);
        if (byMemory[i - 1].memoryBytes == byMemory[i].memoryBytes) {
            EXPECT_LT(byMemory[i - 1].pid, byMemory[i].pid);
        }
    }

    // Time that went backwards gives no percentages rather than negative ones.
    fake.now -= 10;
    fake.setProcess(100, "p100", 800, 1);
    for (const auto& p : sampler.sample().topProcessesByCPU) EXPECT_EQ(p.cpuPercent, 0);
}

TEST(SystemMonitorProcesses, SamplesThisMachine) {
    Snapshot first = SystemMonitor::sample();
    Snapshot second = SystemMonitor::sample();
    EXPECT_GT(second.memory.total, 0);
    EXPECT_GT(second.memory.free, 0);
    EXPECT_LE(second.memory.free, second.memory.total);
    EXPECT_GT(second.processCount, 0);
    EXPECT_LE(second.topProcessesByCPU.size(), kTopProcessCount);
    double sum = second.cpu.user + second.cpu.system + second.cpu.idle;
    EXPECT_TRUE(sum == 0 || std::abs(sum - 100) < 1e-6);
    EXPECT_GE(second.network.downBytesPerSec, 0);
    EXPECT_GE(second.network.sessionDown, 0);
    (void)first;
}
