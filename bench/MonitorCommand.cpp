#include "bench/BenchCommand.h"
#include "bench/micro/BenchApplication.h"
#include "model/ScanViewModel.h"
#include "model/SystemMonitor.h"
#include "model/VolumeInfo.h"
#include "tools/monitor/MonitorView.h"

#include <QThreadPool>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

// Children that sleep until killed, each with a 15-character name so that the sampler also reads
// its command line (the costliest path for a process).
std::vector<pid_t> startSleepers(int count) {
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            char name[24]; // the kernel keeps the first 15 bytes
            std::snprintf(name, sizeof name, "sleeper-%07d", i);
            ::prctl(PR_SET_NAME, name);
            for (;;)
                ::pause();
        }
        if (pid < 0) break;
        pids.push_back(pid);
    }
    return pids;
}

void stopSleepers(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids)
        ::kill(pid, SIGKILL);
    for (pid_t pid : pids)
        ::waitpid(pid, nullptr, 0);
}

// A sample whose figures change on every call, as live ones do: 60 processes in each order.
SystemMonitor::Snapshot changingSample(std::mt19937& random) {
    std::uniform_real_distribution<double> share(0, 100);
    SystemMonitor::Snapshot s;
    s.cpu = {share(random) / 2, share(random) / 4, 25, share(random) / 10};
    s.memory = {2'000'000'000, 300'000'000, 0, 0, int64_t(share(random) * 1e8), 16'000'000'000};
    s.network = {share(random) * 1e5, share(random) * 1e4, int64_t(share(random) * 1e9), 0};
    for (int i = 0; i < 60; ++i)
        s.topProcessesByCPU.push_back({1000 + int(random() % 5000),
                                       "process " + std::to_string(random() % 300), share(random),
                                       int64_t(share(random) * 1e7)});
    std::sort(s.topProcessesByCPU.begin(), s.topProcessesByCPU.end(),
              [](auto& a, auto& b) { return a.cpuPercent > b.cpuPercent; });
    s.topProcessesByMemory = s.topProcessesByCPU;
    std::sort(s.topProcessesByMemory.begin(), s.topProcessesByMemory.end(),
              [](auto& a, auto& b) { return a.memoryBytes > b.memoryBytes; });
    s.processCount = 1000;
    return s;
}

// Starts N sleeping processes and times samples of this machine (off the window's thread in the
// application), then times the window thread's part of a tick of the Monitor screen: applying a
// changed sample and volume list to the cards, with the layout and the repaint that follow.
int runMonitor(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int processes = std::stoi(bench::takeOption(args, "--processes", "1000"));
    const int samples = std::stoi(bench::takeOption(args, "--samples", "30"));
    const int ticks = std::stoi(bench::takeOption(args, "--ticks", "200"));
    if (!args.empty()) {
        std::fprintf(stderr, "usage: brenwick-bench monitor [--processes N] [--samples K] [--ticks T]\n");
        return 2;
    }

    // Before any thread exists: children of a threaded process may only call async-signal-safe functions.
    const std::vector<pid_t> sleepers = startSleepers(processes);
    SystemMonitor::Sampler sampler;
    sampler.sample(); // the first sample has no previous counters
    std::vector<double> sampleMs, volumeMs;
    int64_t measured = 0;
    for (int i = 0; i < samples; ++i) {
        auto start = Clock::now();
        measured = sampler.sample().processCount;
        sampleMs.push_back(msSince(start));
        start = Clock::now();
        VolumeInfo::mounted();
        volumeMs.push_back(msSince(start));
    }
    stopSleepers(sleepers);

    ensureApplication();

    ScanViewModel viewModel;
    QThreadPool pool;
    auto random = std::make_shared<std::mt19937>(7);
    const std::vector<VolumeInfo> volumes = VolumeInfo::mounted();
    MonitorView view(viewModel,
                     {[random] { return changingSample(*random); },
                      [random, volumes] {
                          auto changed = volumes;
                          for (VolumeInfo& v : changed)
                              v.disk.free -= int64_t((*random)() % 4096);
                          return changed;
                      }},
                     &pool, 3'600'000);
    view.resize(1400, 1000);
    view.show();
    QCoreApplication::processEvents();
    // A tick on the window's thread: the results arrive and update the cards (update), then the layout
    // they ask for and the repaint of what changed (tick, which includes update).
    std::vector<double> updateMs, tickMs;
    for (int i = 0; i < ticks; ++i) {
        view.sampling().setRoot("/tick/" + std::to_string(i)); // a pass at once
        pool.waitForDone();
        const auto start = Clock::now();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        updateMs.push_back(msSince(start));
        QCoreApplication::sendPostedEvents();
        tickMs.push_back(msSince(start));
    }

    std::printf(
        "children=%zu processes_measured=%lld sample_ms_median=%.2f sample_ms_p90=%.2f sample_ms_max=%.2f "
        "volumes_ms_median=%.3f ticks=%d update_ms_median=%.3f update_ms_max=%.3f tick_ms_median=%.3f "
        "tick_ms_p90=%.3f tick_ms_max=%.3f\n",
        sleepers.size(), static_cast<long long>(measured), percentile(sampleMs, 0.5),
        percentile(sampleMs, 0.9), percentile(sampleMs, 1), percentile(volumeMs, 0.5), ticks,
        percentile(updateMs, 0.5), percentile(updateMs, 1), percentile(tickMs, 0.5), percentile(tickMs, 0.9),
        percentile(tickMs, 1));
    return 0;
}

const BenchCommand monitorCommand{"monitor", "monitor [--processes N] [--samples K] [--ticks T]", runMonitor};

} // namespace
