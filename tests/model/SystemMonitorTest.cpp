#include "model/SystemMonitor.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace SystemMonitor;

namespace {

// A fixture /proc and /sys with a clock the test moves. 100 ticks per second, 4096-byte pages, 2 processors.
class FakeSystem {
public:
    FakeSystem() {
        setCpu(0, 0, 0, 0, 0);
        setMemory(16'000'000, 4'000'000);
        setNet("");
    }
    Sampler make() {
        return Sampler({proc.string(), sys.string(), [] { return 1.25; }, [this] { return now; }, 4096, 100});
    }
    void setCpu(uint64_t user, uint64_t nice, uint64_t system, uint64_t idle, uint64_t iowait) {
        auto n = [](uint64_t v) { return std::to_string(v) + " "; };
        writeFileText(proc / "stat", "cpu  " + n(user) + n(nice) + n(system) + n(idle) + n(iowait) +
                                         "0 0 0 0 0\ncpu0 1 1 1 1 1 0 0 0 0 0\ncpu1 1 1 1 1 1 0 0 0 0 0\nintr 1 2 3\n");
    }
    void setMemory(uint64_t totalKb, uint64_t availableKb) {
        writeFileText(proc / "meminfo", "MemTotal:       " + std::to_string(totalKb) + " kB\nMemFree:  500000 kB\n"
                                        "MemAvailable:    " + std::to_string(availableKb) + " kB\n"
                                        "Active:  3000000 kB\nInactive: 2000000 kB\nUnevictable: 10000 kB\n"
                                        "SUnreclaim: 20000 kB\nKernelStack: 30000 kB\nPageTables: 40000 kB\nZswap: 50000 kB\n");
    }
    static std::string netLine(const std::string& name, uint64_t down, uint64_t up) {
        return "  " + name + ": " + std::to_string(down) + " 10 0 0 0 0 0 0 " + std::to_string(up) + " 10 0 0 0 0 0 0\n";
    }
    void addInterface(const std::string& name, const std::string& flags, bool device) {
        writeFileText(sys / "class/net" / name / "flags", flags + "\n");
        if (device) fs::create_directories(sys / "class/net" / name / "device");
    }
    void setNet(const std::string& lines) {
        writeFileText(proc / "net/dev", "Inter-|   Receive      |  Transmit\n face |bytes packets|bytes packets\n" + lines);
    }
    void setProcess(int pid, const std::string& comm, uint64_t ticks, uint64_t residentPages, uint64_t startTime = 100,
                    bool kernel = false, const std::string& cmdline = "") {
        fs::path d = proc / std::to_string(pid);
        writeFileText(d / "stat", std::to_string(pid) + " (" + comm + ") S 1 1 1 0 -1 " + (kernel ? "2129984" : "4194560") +
                                      " 0 0 0 0 " + std::to_string(ticks) + " 0 0 0 20 0 1 0 " +
                                      std::to_string(startTime) + " 1000 " + std::to_string(residentPages) + "\n");
        writeFileText(d / "statm", "1000 " + std::to_string(residentPages) + " 10 1 0 5 0\n");
        writeFileText(d / "cmdline", cmdline);
    }

    TempDir dir;
    fs::path proc = dir.makeDir("proc"), sys = dir.makeDir("sys");
    double now = 1000;
};

double busy(const Snapshot& s) { return s.cpu.user + s.cpu.system + s.cpu.idle; }

} // namespace

TEST(SystemMonitorCpu, SharesComeFromTheTickDifferencesBetweenTwoSamples) {
    FakeSystem fake;
    Sampler sampler = fake.make();
    fake.setCpu(1000, 100, 500, 8000, 400);
    Snapshot first = sampler.sample();
    EXPECT_EQ(busy(first), 0);
    EXPECT_EQ(first.cpu.loadAverage, 1.25);

    // +150 user, +50 nice, +100 system, +600 idle, +100 iowait: 1000 ticks.
    fake.setCpu(1150, 150, 600, 8600, 500);
    Snapshot second = sampler.sample();
    EXPECT_DOUBLE_EQ(second.cpu.user, 20);
    EXPECT_DOUBLE_EQ(second.cpu.system, 10);
    EXPECT_DOUBLE_EQ(second.cpu.idle, 70);

    // No ticks at all, then a counter that went backwards: no share rather than nonsense.
    EXPECT_EQ(busy(sampler.sample()), 0);
    fake.setCpu(1100, 150, 700, 8700, 500);
    EXPECT_EQ(busy(sampler.sample()), 0);
    fake.setCpu(1200, 150, 700, 8800, 500);
    EXPECT_DOUBLE_EQ(sampler.sample().cpu.user, 50);
}

TEST(SystemMonitorMemory, UsedAgreesWithTotalMinusAvailable) {
    FakeSystem fake;
    fake.setMemory(16'318'812, 9'123'456);
    MemoryStats m = fake.make().sample().memory;
    const double expectedUsed = (16'318'812.0 - 9'123'456.0) * 1024;
    EXPECT_EQ(m.total, 16'318'812LL * 1024);
    EXPECT_LE(std::abs(static_cast<double>(m.total - m.free) - expectedUsed), 0.02 * expectedUsed);
    EXPECT_EQ(m.wired, 100'000LL * 1024);
    EXPECT_EQ(m.compressed, 50'000LL * 1024);

    // Unreadable: zeros, not garbage.
    fs::remove(fake.proc / "meminfo");
    MemoryStats none = fake.make().sample().memory;
    EXPECT_EQ(none.total + none.free + none.wired + none.active, 0);
}

TEST(SystemMonitorNetwork, RatesCountPhysicalInterfacesThatAreUp) {
    FakeSystem fake;
    fake.addInterface("eth0", "0x1003", true);
    fake.addInterface("wlan0", "0x1003", true);
    fake.addInterface("lo", "0x9", false);         // loopback
    fake.addInterface("docker0", "0x1003", false); // virtual
    fake.addInterface("eth1", "0x1002", true);     // down
    auto net = [&](uint64_t eth0Down, uint64_t eth0Up, uint64_t wlanDown, uint64_t others) {
        fake.setNet(FakeSystem::netLine("lo", others, others) + FakeSystem::netLine("eth0", eth0Down, eth0Up) +
                    FakeSystem::netLine("docker0", others, others) + FakeSystem::netLine("eth1", others, others) +
                    FakeSystem::netLine("wlan0", wlanDown, 0));
    };
    Sampler sampler = fake.make();
    net(5'000'000'000'000ULL, 1000, 300, 1); // 64-bit counters
    EXPECT_EQ(sampler.sample().network.downBytesPerSec, 0);

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
    const std::string helper("/usr/bin/longprocessname-helper\0--flag\0", 39);
    const std::string script("/usr/bin/python3\0/opt/python3-scriptname.py\0", 45);
    fake.setProcess(170, "longprocessname", 0, 1, 100, false, helper);
    fake.setProcess(171, "python3-scriptn", 0, 1, 100, false, script);
    fake.setProcess(172, "", 0, 1);
    fs::create_directories(fake.proc / "173"); // ended between the listing and the reads
    fake.setProcess(174, "gone-statm", 0, 1);
    fs::remove(fake.proc / "174/statm");

    Sampler sampler = fake.make();
    Snapshot first = sampler.sample();
    EXPECT_EQ(first.processCount, 73); // 70 + 170, 171, 172; not the kernel thread nor the vanished ones
    ASSERT_EQ(first.topProcessesByCPU.size(), kTopProcessCount);
    ASSERT_EQ(first.topProcessesByMemory.size(), kTopProcessCount);
    // All at 0 percent: the listing order stands, without the kernel thread (pid 2).
    EXPECT_EQ(first.topProcessesByCPU.front().pid, 100);
    EXPECT_EQ(first.topProcessesByMemory.front().pid, 104); // the first with 6 pages

    // Over 2 s with 2 processors: 4 s of processor time is 200 percent, the cap; 10 s is capped too.
    fake.now += 2;
    fake.setProcess(100, "p100", 400, 1);
    fake.setProcess(101, "p101", 1000, 1);
    fake.setProcess(102, "p102", 50, 1, 999); // the pid now belongs to another process: starts at 0
    fake.setProcess(170, "longprocessname", 10, 100, 100, false, helper);
    fake.setProcess(171, "python3-scriptn", 10, 99, 100, false, script);
    fake.setProcess(172, "", 10, 98);
    fs::remove_all(fake.proc / "103");
    Snapshot second = sampler.sample();
    EXPECT_EQ(second.processCount, 72);
    std::vector<std::pair<int, double>> busiest;
    for (size_t i = 0; i < 6; ++i) busiest.emplace_back(second.topProcessesByCPU[i].pid, second.topProcessesByCPU[i].cpuPercent);
    EXPECT_EQ(busiest, (std::vector<std::pair<int, double>>{{100, 200}, {101, 200}, {170, 5}, {171, 5}, {172, 5}, {102, 0}}));
    // Names: whole from the command line when the kernel's is cut short, "pid N" when there is none.
    EXPECT_EQ(second.topProcessesByCPU[2].name, "longprocessname-helper");
    EXPECT_EQ(second.topProcessesByCPU[3].name, "python3-scriptname.py");
    EXPECT_EQ(second.topProcessesByCPU[4].name, "pid 172");
    // Largest first; equal sizes keep the listing order.
    const auto& byMemory = second.topProcessesByMemory;
    EXPECT_EQ(byMemory[0].pid, 170);
    for (size_t i = 1; i < byMemory.size(); ++i)
        EXPECT_TRUE(byMemory[i - 1].memoryBytes > byMemory[i].memoryBytes ||
                    (byMemory[i - 1].memoryBytes == byMemory[i].memoryBytes && byMemory[i - 1].pid < byMemory[i].pid));

    // Time that went backwards gives no percentages rather than negative ones.
    fake.now -= 10;
    fake.setProcess(100, "p100", 800, 1);
    for (const auto& p : sampler.sample().topProcessesByCPU) EXPECT_EQ(p.cpuPercent, 0);
}

TEST(SystemMonitorProcesses, SamplesThisMachine) {
    SystemMonitor::sample();
    Snapshot second = SystemMonitor::sample();
    EXPECT_GT(second.memory.free, 0);
    EXPECT_LE(second.memory.free, second.memory.total);
    EXPECT_GT(second.processCount, 0);
    const double sum = busy(second);
    EXPECT_TRUE(sum == 0 || std::abs(sum - 100) < 1e-6);
    EXPECT_GE(second.network.downBytesPerSec, 0);
}
