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
        setCpu(0, 0, 0, 0);
        writeFileText(proc / "meminfo",
                      "MemTotal: 16318812 kB\nMemFree: 500000 kB\nMemAvailable: 9123456 kB\n"
                      "Unevictable: 10000 kB\nSUnreclaim: 20000 kB\nKernelStack: 30000 kB\n"
                      "PageTables: 40000 kB\nZswap: 50000 kB\n");
        setNet({});
    }
    Sampler make() {
        return Sampler({proc.string(), sys.string(), [] { return 1.25; }, [this] { return now; }, 4096, 100});
    }
    void setCpu(uint64_t user, uint64_t system, uint64_t idle, uint64_t iowait) { // nice is a quarter of user
        auto n = [](uint64_t v) { return std::to_string(v) + " "; };
        writeFileText(proc / "stat", "cpu  " + n(user) + n(user / 4) + n(system) + n(idle) + n(iowait) +
                                         "0 0 0 0 0\ncpu0 1 1 1 1 1\ncpu1 1 1 1 1 1\n");
    }
    void addInterface(const std::string& name, const std::string& flags, bool device) {
        writeFileText(sys / "class/net" / name / "flags", flags + "\n");
        if (device) fs::create_directories(sys / "class/net" / name / "device");
    }
    void setNet(std::initializer_list<std::tuple<const char*, uint64_t, uint64_t>> counters) {
        std::string text = "Inter-|   Receive      |  Transmit\n face |bytes packets|bytes packets\n";
        for (auto [name, down, up] : counters)
            text += std::string("  ") + name + ": " + std::to_string(down) + " 10 0 0 0 0 0 0 " +
                    std::to_string(up) + " 10 0 0 0 0 0 0\n";
        writeFileText(proc / "net/dev", text);
    }
    void setProcess(int pid, const std::string& comm, uint64_t ticks, uint64_t pages,
                    uint64_t startTime = 100, const std::string& cmdline = "", bool kernel = false) {
        fs::path d = proc / std::to_string(pid);
        writeFileText(d / "stat", std::to_string(pid) + " (" + comm + ") S 1 1 1 0 -1 " +
                                      (kernel ? "2129984" : "4194560") + " 0 0 0 0 " + std::to_string(ticks) +
                                      " 0 0 0 20 0 1 0 " + std::to_string(startTime) + " 1000 " +
                                      std::to_string(pages) + "\n");
        writeFileText(d / "statm", "1000 " + std::to_string(pages) + " 10 1 0 5 0\n");
        writeFileText(d / "cmdline", cmdline);
    }

    TempDir dir;
    fs::path proc = dir.makeDir("proc"), sys = dir.makeDir("sys");
    double now = 1000;
};

} // namespace

TEST(SystemMonitor, CpuSharesFromTickDifferencesAndMemoryFromAvailable) {
    FakeSystem fake;
    Sampler sampler = fake.make();
    fake.setCpu(1000, 500, 8000, 400);
    Snapshot first = sampler.sample();
    EXPECT_EQ(first.cpu.user + first.cpu.system + first.cpu.idle, 0); // nothing to compare with yet
    fake.setCpu(1160, 600, 8600, 500); // +160 user, +40 nice, +100 system, +600 idle, +100 iowait
    Snapshot second = sampler.sample();
    EXPECT_DOUBLE_EQ(second.cpu.user, 20);
    EXPECT_DOUBLE_EQ(second.cpu.system, 10);
    EXPECT_DOUBLE_EQ(second.cpu.idle, 70);
    // A counter that went backwards gives no share rather than nonsense.
    fake.setCpu(1100, 700, 8700, 500);
    EXPECT_EQ(sampler.sample().cpu.user, 0);

    const double used = (16'318'812.0 - 9'123'456.0) * 1024;
    EXPECT_LE(std::abs(static_cast<double>(second.memory.total - second.memory.free) - used), 0.02 * used);
    EXPECT_EQ(second.memory.wired, 100'000LL * 1024);
    fs::remove(fake.proc / "meminfo"); // unreadable: zeros, not garbage
    MemoryStats none = fake.make().sample().memory;
    EXPECT_EQ(none.total + none.free + none.wired + none.active, 0);
}

TEST(SystemMonitor, NetworkRatesCountPhysicalInterfacesThatAreUp) {
    FakeSystem fake;
    fake.addInterface("eth0", "0x1003", true);
    fake.addInterface("wlan0", "0x1003", true);
    fake.addInterface("lo", "0x9", false);         // loopback
    fake.addInterface("docker0", "0x1003", false); // virtual
    fake.addInterface("eth1", "0x1002", true);     // down
    auto net = [&](uint64_t eth0Down, uint64_t eth0Up, uint64_t wlanDown, uint64_t others) {
        fake.setNet({{"lo", others, others},
                     {"eth0", eth0Down, eth0Up},
                     {"docker0", others, others},
                     {"eth1", others, others},
                     {"wlan0", wlanDown, 0}});
    };
    Sampler sampler = fake.make();
    net(5'000'000'000'000ULL, 1000, 300, 1); // 64-bit counters
    sampler.sample();
    fake.now += 2;
    net(5'000'000'004'000ULL, 3000, 1300, 999'999);
    NetworkStats second = sampler.sample().network;
    EXPECT_DOUBLE_EQ(second.downBytesPerSec, 2500);
    EXPECT_DOUBLE_EQ(second.upBytesPerSec, 1000);
    EXPECT_EQ(second.sessionDown, 5000);

    // eth0's counters reset (driver reload) while wlan0 moved on; then a sample with no time between.
    fake.now += 1;
    net(100, 100, 2300, 5);
    EXPECT_DOUBLE_EQ(sampler.sample().network.downBytesPerSec, 1000);
    net(200, 100, 2400, 5);
    NetworkStats instant = sampler.sample().network;
    EXPECT_EQ(instant.downBytesPerSec, 0);
    EXPECT_EQ(instant.sessionDown, 6200); // the bytes still count
}

TEST(SystemMonitor, MeasuresUserProcessesAndCutsTheLists) {
    FakeSystem fake;
    for (int pid = 100; pid < 170; ++pid)
        fake.setProcess(pid, "p" + std::to_string(pid), 0, static_cast<uint64_t>(pid % 7));
    fake.setProcess(2, "kthreadd", 5000, 0, 1, "", true);
    const std::string helper("/usr/bin/longprocessname-helper\0--flag\0", 39);
    const std::string script("/usr/bin/python3\0/opt/python3-scriptname.py\0", 45);
    fake.setProcess(170, "longprocessname", 0, 1, 100, helper);
    fake.setProcess(171, "python3-scriptn", 0, 1, 100, script);
    fake.setProcess(172, "", 0, 1);
    fs::create_directories(fake.proc / "173"); // ended between the listing and the reads
    Sampler sampler = fake.make();
    Snapshot first = sampler.sample();
    EXPECT_EQ(first.processCount, 73); // not the kernel thread nor the vanished one
    ASSERT_EQ(first.topProcessesByCPU.size(), kTopProcessCount);
    EXPECT_EQ(first.topProcessesByMemory.front().pid,
              104); // the first with 6 pages: ties keep the listing order

    // Over 2 s with 2 processors: 4 s of processor time is 200 percent, the cap; 10 s is capped too.
    fake.now += 2;
    fake.setProcess(100, "p100", 400, 1);
    fake.setProcess(101, "p101", 1000, 1);
    fake.setProcess(102, "q102", 50, 1, 999); // the pid now belongs to another process: starts at 0
    // A process keeps the name read from its command line (read once); an exec that renames it is
    // read again.
    fake.setProcess(170, "longprocessname", 10, 100, 100, "");
    const std::string other("/usr/bin/python3\0/opt/python3-otherscript.py\0", 45);
    fake.setProcess(171, "python3-othersc", 10, 99, 100, other);
    fake.setProcess(172, "", 10, 98);
    Snapshot second = sampler.sample();
    std::vector<std::tuple<int, double, std::string>> busiest;
    for (size_t i = 0; i < 6; ++i) {
        const auto& p = second.topProcessesByCPU[i];
        busiest.emplace_back(p.pid, p.cpuPercent, p.name);
    }
    // Names whole from the command line when the kernel's is cut short, "pid N" when there is none.
    EXPECT_EQ(busiest, (std::vector<std::tuple<int, double, std::string>>{{100, 200, "p100"},
                                                                          {101, 200, "p101"},
                                                                          {170, 5, "longprocessname-helper"},
                                                                          {171, 5, "python3-otherscript.py"},
                                                                          {172, 5, "pid 172"},
                                                                          {102, 0, "q102"}}));
    EXPECT_EQ(second.topProcessesByMemory[0].pid, 170);

    fake.now -= 10; // time that went backwards gives no percentages rather than negative ones
    fake.setProcess(100, "p100", 800, 1);
    for (const auto& p : sampler.sample().topProcessesByCPU)
        EXPECT_EQ(p.cpuPercent, 0);
}

TEST(SystemMonitor, SamplesThisMachine) {
    SystemMonitor::sample();
    Snapshot second = SystemMonitor::sample();
    EXPECT_GT(second.memory.free, 0);
    EXPECT_LE(second.memory.free, second.memory.total);
    EXPECT_GT(second.processCount, 0);
    const double sum = second.cpu.user + second.cpu.system + second.cpu.idle;
    EXPECT_TRUE(sum == 0 || std::abs(sum - 100) < 1e-6) << sum;
}
