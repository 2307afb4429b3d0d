#include "tools/monitor/SamplingLoop.h"

#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))

namespace {

// Sources that count their calls (pass n samples a load of n percent and finds n free bytes), note
// whether they ever ran on the window's thread, and can be held at a gate. They outlive the pool's
// jobs: each test waits for the pool before they go.
struct FakeSystem {
    std::atomic<int> entered{0}, samples{0}, volumeReads{0};
    std::atomic<bool> onWindowThread{false};
    std::atomic<int64_t> memoryTotal{1000};
    std::atomic<bool> hasVolumes{true};
    std::atomic<bool> holdSamples{false}, holdVolumes{false};
    QSemaphore sampleGate, volumeGate;

    SamplingLoop::Sources sources() {
        return {[this] {
                    note();
                    ++entered;
                    if (holdSamples) sampleGate.acquire();
                    SystemMonitor::Snapshot s;
                    s.cpu.user = ++samples;
                    s.memory.total = memoryTotal;
                    s.memory.free = memoryTotal / 4;
                    return s;
                },
                [this] {
                    note();
                    if (holdVolumes) volumeGate.acquire();
                    const int n = ++volumeReads;
                    std::vector<VolumeInfo> volumes;
                    if (hasVolumes)
                        volumes = {{"/big", {"Big", 9000, n, 1}}, {"/small", {"Small", 10, 5, 5}}};
                    return volumes;
                }};
    }
    void note() {
        if (QThread::currentThread() == qApp->thread()) onWindowThread = true;
    }
};

class SamplingLoopTest : public ::testing::Test {
  protected:
    void TearDown() override {
        system.sampleGate.release(1000);
        system.volumeGate.release(1000);
        loop.reset();
        pool.waitForDone();
        EXPECT_FALSE(system.onWindowThread);
    }
    SamplingLoop& make(int intervalMs) {
        loop = std::make_unique<SamplingLoop>(system.sources(), &pool, &pool, intervalMs);
        return *loop;
    }
    // Lets every job finish and its result arrive.
    void settle() {
        pool.waitForDone();
        QCoreApplication::processEvents();
    }

    FakeSystem system;
    QThreadPool pool;
    std::unique_ptr<SamplingLoop> loop;
};

TEST_F(SamplingLoopTest, TheFirstPassOfAFreshSamplerRecordsNoProcessorLoad) {
    SystemMonitor::Sampler sampler; // this machine's counters, never sampled before
    SamplingLoop real({[&sampler] { return sampler.sample(); }, [] { return std::vector<VolumeInfo>(); }},
                      &pool, &pool, 3'600'000);
    real.setRunning(true);
    WAIT_FOR(!real.cpuHistory().empty());
    EXPECT_EQ(real.cpuHistory(), std::vector<double>{0.0});
    ASSERT_EQ(real.memoryHistory().size(), 1u);
    EXPECT_GT(real.memoryHistory()[0], 0);
    EXPECT_LE(real.memoryHistory()[0], 100);
    EXPECT_GT(real.snapshot().processCount, 0);
    real.setRunning(false);
    settle();
}

TEST_F(SamplingLoopTest, HistoriesKeepTheNewest120ValuesInOrder) {
    SamplingLoop& l = make(0);
    l.setRunning(true);
    WAIT_FOR(!l.cpuHistory().empty() && l.cpuHistory().back() >= 125 && !l.freeSpaceHistory().empty() &&
             l.freeSpaceHistory().back() >= 125);
    l.setRunning(false);
    settle();
    for (const std::vector<double>* history : {&l.cpuHistory(), &l.freeSpaceHistory()}) {
        ASSERT_EQ(history->size(), SamplingLoop::kHistoryLength);
        for (size_t i = 1; i < history->size(); ++i)
            ASSERT_EQ((*history)[i], (*history)[i - 1] + 1) << i; // consecutive passes, oldest first
    }
    EXPECT_EQ(l.memoryHistory(), std::vector<double>(SamplingLoop::kHistoryLength, 75.0));
    EXPECT_EQ(l.volumes().front().mountPoint, "/big");
}

TEST_F(SamplingLoopTest, NoMemoryTotalAndNoVolumesLeaveThoseHistoriesAlone) {
    system.memoryTotal = 0;
    system.hasVolumes = false;
    SamplingLoop& l = make(0);
    l.setRunning(true);
    WAIT_FOR(l.cpuHistory().size() >= 3 && system.volumeReads >= 3);
    l.setRunning(false);
    settle();
    EXPECT_TRUE(l.memoryHistory().empty());
    EXPECT_TRUE(l.freeSpaceHistory().empty());
    EXPECT_TRUE(l.volumes().empty());
}

TEST_F(SamplingLoopTest, ANewRootSamplesAtOnceAndKeepsTheHistories) {
    SamplingLoop& l = make(3'600'000);
    l.setRoot("/home/ann");
    EXPECT_EQ(system.samples, 0); // not running: nothing sampled
    l.setRunning(true);
    WAIT_FOR(l.cpuHistory().size() == 1 && l.freeSpaceHistory().size() == 1);
    l.setRoot("/home/ann"); // the same root: no pass
    l.setRoot("/data");
    WAIT_FOR(l.cpuHistory().size() == 2 && l.freeSpaceHistory().size() == 2);
    settle();
    EXPECT_EQ(l.cpuHistory(), (std::vector<double>{1, 2}));
    EXPECT_EQ(system.samples, 2);
}

TEST_F(SamplingLoopTest, HiddenNothingIsSampledAndResultsOnTheirWayAreDropped) {
    SamplingLoop& l = make(1);
    l.setRunning(true);
    WAIT_FOR(l.cpuHistory().size() >= 2);
    system.holdSamples = true;
    WAIT_FOR(system.entered == system.samples + 1); // a pass waits at the gate
    l.setRunning(false);
    const size_t kept = l.cpuHistory().size();
    const int entered = system.entered;
    system.sampleGate.release(1000);
    settle();
    QTest::qWait(50);
    EXPECT_EQ(l.cpuHistory().size(), kept);
    EXPECT_EQ(system.entered, entered); // nothing sampled after the one that was on its way
    EXPECT_FALSE(l.isRunning());
}

TEST_F(SamplingLoopTest, AResultOfTheRunBeforeARestartIsDropped) {
    SamplingLoop& l = make(3'600'000);
    system.holdSamples = true;
    l.setRunning(true);
    WAIT_FOR(system.entered == 1);
    l.setRoot("/data"); // restarts while the first sample is held
    WAIT_FOR(system.entered == 2);
    system.sampleGate.release(2);
    settle();
    // Two samples were taken, in whichever order; only the restarted run's one counts.
    EXPECT_EQ(system.samples, 2);
    EXPECT_EQ(l.cpuHistory().size(), 1u);
}

// A volume read stuck on a failing device holds up neither the samples nor the window, and the
// passes behind it do not pile up more reads.
TEST_F(SamplingLoopTest, AStuckVolumeReadIsNotDoubledAndSamplingGoesOn) {
    system.holdVolumes = true;
    SamplingLoop& l = make(1);
    l.setRunning(true);
    WAIT_FOR(l.cpuHistory().size() >= 5);
    EXPECT_TRUE(l.volumes().empty());
    system.holdVolumes = false;
    system.volumeGate.release(1);
    WAIT_FOR(!l.volumes().empty());
    EXPECT_EQ(l.freeSpaceHistory().front(), 1.0); // the first read's figure: only one was started
    l.setRunning(false);
    settle();
}

} // namespace
