// brenwick-bench dupes PATH [--threads N] [--list FILE]: scans PATH, finds duplicates and prints
// groups, redundant files, wasted bytes, hashing and total seconds. --list writes every group's paths
// (one per line, a blank line between groups) for comparison with other tools.
#include "bench/BenchCommand.h"
#include "model/DiskScanner.h"
#include "model/DuplicateFinder.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace {

int runDupes(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    int threads = std::stoi(bench::takeOption(args, "--threads", "0"));
    std::string list = bench::takeOption(args, "--list");
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: brenwick-bench dupes PATH [--threads N] [--list FILE]\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    DiskScanner scanner;
    if (threads > 0) scanner.setThreadCount(threads);
    std::shared_ptr<ScanTree> tree = scanner.scan(args[0]);
    DuplicateFinder::Stats stats;
    std::vector<DuplicateFinder::Group> groups = DuplicateFinder::find(tree, nullptr, &stats, threads);
    double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int64_t redundant = 0, wasted = 0;
    for (const auto& g : groups) {
        redundant += static_cast<int64_t>(g.files.size()) - 1;
        wasted += g.wastedBytes();
    }
    if (!list.empty()) {
        std::ofstream out(list);
        for (const auto& g : groups) {
            for (const FileNode* f : g.files)
                out << f->path() << '\n';
            out << '\n';
        }
    }
    std::printf("groups=%zu redundant_files=%lld wasted_bytes=%lld hash_seconds=%.3f total_seconds=%.3f\n",
                groups.size(), static_cast<long long>(redundant), static_cast<long long>(wasted),
                stats.hashSeconds, total);
    std::fprintf(stderr,
                 "candidates=%lld partial_hashed=%lld full_hashed=%lld identity_checked=%lld bytes_read=%lld "
                 "full_bytes=%lld walk_seconds=%.3f screen_seconds=%.3f partial_seconds=%.3f "
                 "full_seconds=%.3f\n",
                 static_cast<long long>(stats.candidates), static_cast<long long>(stats.partialHashed),
                 static_cast<long long>(stats.fullHashed), static_cast<long long>(stats.identityChecked),
                 static_cast<long long>(stats.bytesRead), static_cast<long long>(stats.fullBytes),
                 stats.walkSeconds, stats.screenSeconds, stats.partialSeconds, stats.fullSeconds);
    return 0;
}

const BenchCommand dupes{"dupes", "dupes PATH [--threads N] [--list FILE]", runDupes};

} // namespace
