#include "bench/BenchCommand.h"
#include "model/DiskScanner.h"
#include "model/QuickWins.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// Scans PATH and prints one line of key=value figures. Extra keys: the phase timings (walk, hard
// links, roll-up), the peak resident set before the scan (the program and its libraries) and the
// bytes per entry above that, which is what the scan itself costs. --quick-wins N also times the quick-win
// analysis of the tree N times, on all processors and on one thread, and prints the medians.
int runScan(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    int threads = std::stoi(bench::takeOption(args, "--threads", "0"));
    int quickWinRuns = std::stoi(bench::takeOption(args, "--quick-wins", "0"));
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: brenwick-bench scan PATH [--threads N] [--quick-wins N]\n");
        return 2;
    }
    DiskScanner scanner;
    scanner.setThreadCount(threads);
    long baseRss = bench::peakRssKib();
    auto start = std::chrono::steady_clock::now();
    std::shared_ptr<ScanTree> tree = scanner.scan(args[0]);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long rss = bench::peakRssKib();

    const FileNode* root = tree->root();
    int64_t files = root->fileCount();
    int64_t folders = root->folderCount() + 1;
    int64_t entries = files + folders;
    DiskScanner::Timings t = scanner.timings();
    auto perEntry = [&](long kib) {
        return entries > 0 ? static_cast<double>(kib) * 1024.0 / static_cast<double>(entries) : 0.0;
    };
    std::printf("entries=%lld files=%lld folders=%lld logical_bytes=%lld disk_bytes=%lld unreadable=%lld "
                "seconds=%.4f peak_rss_kib=%ld bytes_per_entry=%.1f walk_seconds=%.4f links_seconds=%.4f "
                "rollup_seconds=%.4f base_rss_kib=%ld scan_bytes_per_entry=%.1f workers=%d\n",
                static_cast<long long>(entries), static_cast<long long>(files),
                static_cast<long long>(folders), static_cast<long long>(root->logicalSize),
                static_cast<long long>(root->sizeOnDisk), static_cast<long long>(scanner.unreadableCount()),
                seconds, rss, perEntry(rss), t.walkSeconds, t.hardLinkSeconds, t.rollUpSeconds, baseRss,
                perEntry(rss - baseRss), t.workers);
    if (quickWinRuns > 0) {
        const auto places = QuickWins::Places::forTree(*tree);
        auto median = [&](unsigned analysisThreads) {
            std::vector<double> runs;
            for (int i = 0; i < quickWinRuns; ++i) {
                auto begin = std::chrono::steady_clock::now();
                auto wins = analysisThreads
                                ? QuickWins::analyze(root, places, analysisThreads, QuickWins::kMinPieceNodes)
                                : QuickWins::analyze(root, places);
                runs.push_back(
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
            }
            std::sort(runs.begin(), runs.end());
            return runs[runs.size() / 2];
        };
        std::printf("quick_wins_seconds=%.4f quick_wins_one_thread_seconds=%.4f\n", median(0), median(1));
    }
    return 0;
}

const BenchCommand scanCommand{"scan", "scan PATH [--threads N]", runScan};

} // namespace
