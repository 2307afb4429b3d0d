// Micro-benchmarks of the services: SHA-256 throughput per core, and quick wins, the age report and
// the rankings over a synthetic tree of about 1,000,000 nodes.
#include "bench/micro/SyntheticTree.h"
#include "model/AgeReport.h"
#include "model/DuplicateFinder.h"
#include "model/QuickWins.h"
#include "model/Rankings.h"
#include "model/ScanTree.h"
#include "model/TreeRollUp.h"

#include "bench/micro/SyntheticTree.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

void sha256Throughput(benchmark::State& state) {
    const size_t chunk = static_cast<size_t>(state.range(0));
    std::vector<unsigned char> data(chunk, 0x5a);
    EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char out[32];
    unsigned int length = 0;
    for (auto _ : state) {
        EVP_DigestInit_ex(ctx, md, nullptr);
        EVP_DigestUpdate(ctx, data.data(), data.size());
        EVP_DigestFinal_ex(ctx, out, &length);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(chunk));
    // Decimal gigabytes per second, as the targets are stated.
    state.counters["GB/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(chunk) / 1e9,
                           benchmark::Counter::kIsRate);
    EVP_MD_CTX_free(ctx);
    EVP_MD_free(md);
}
BENCHMARK(sha256Throughput)->Arg(64 << 10)->Arg(1 << 20);

SyntheticTree& synthetic() {
    static SyntheticTree tree;
    return tree;
}

void quickWinsOverMillionNodes(benchmark::State& state) {
    auto& s = synthetic();
    QuickWins::Places places{"/home/ann", "Downloads"};
    for (auto _ : state)
        benchmark::DoNotOptimize(QuickWins::analyze(s.tree->root(), places));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(quickWinsOverMillionNodes)->Unit(benchmark::kMillisecond);

// The same on one thread: the single walk the parallel one is measured against.
void quickWinsOverMillionNodesOneThread(benchmark::State& state) {
    auto& s = synthetic();
    QuickWins::Places places{"/home/ann", "Downloads"};
    for (auto _ : state)
        benchmark::DoNotOptimize(QuickWins::analyze(s.tree->root(), places, 1, QuickWins::kMinPieceNodes));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(quickWinsOverMillionNodesOneThread)->Unit(benchmark::kMillisecond);

void ageReportOverMillionNodes(benchmark::State& state) {
    auto& s = synthetic();
    for (auto _ : state)
        benchmark::DoNotOptimize(AgeReport::compute(s.tree->root()));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(ageReportOverMillionNodes)->Unit(benchmark::kMillisecond);

void rankingsOverMillionNodes(benchmark::State& state) {
    auto& s = synthetic();
    for (auto _ : state)
        benchmark::DoNotOptimize(Rankings::compute(s.tree->root(), 200));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(rankingsOverMillionNodes)->Unit(benchmark::kMillisecond);

} // namespace
