// Comparing two snapshots of the synthetic 1,000,000-node tree (every folder of 1 MB or more recorded),
// as the Snapshots screen does it: both files read and decoded at once, the changes computed and cut to
// the 200 largest, all off the window thread; and each part alone.
#include "bench/micro/BenchApplication.h"
#include "bench/micro/SyntheticTree.h"
#include "model/Snapshot.h"
#include "model/SnapshotStore.h"
#include "tools/snapshots/SnapshotComparison.h"
#include "tools/snapshots/SnapshotSource.h"

#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <random>
#include <string>

namespace {

struct SnapshotPair {
    SnapshotPair() {
        SyntheticTree tree;
        nodes = tree.nodes;
        tree.tree->root()->forEachNode([&](const FileNode* node) { files += node->isDirectory() ? 0 : 1; });
        earlier = Snapshot{QUuid::createUuid(), tree.tree->root()->path(), 700'000'000,
                           SnapshotStore::collectFolderSizes(tree.tree->root())};
        // A later scan: about one folder in twenty changed size, one in a hundred gone.
        later = earlier;
        later.id = QUuid::createUuid();
        later.takenAt += 86'400;
        std::mt19937_64 random(7);
        for (auto it = later.folderSizes.begin(); it != later.folderSizes.end();) {
            const uint64_t r = random() % 100;
            if (r == 0 && it->first != later.rootPath) {
                it = later.folderSizes.erase(it);
                continue;
            }
            if (r < 6) it->second += int64_t(random() % 50'000'000) - 20'000'000;
            ++it;
        }
        const std::string folder = dir.path().toStdString() + "/Snapshots";
        std::filesystem::create_directories(folder);
        SnapshotStore::writeSnapshot(earlier, folder);
        SnapshotStore::writeSnapshot(later, folder);
    }
    std::string file(const Snapshot& s) const {
        return dir.path().toStdString() + "/Snapshots/" + Snapshot::uuidText(s.id) + ".json";
    }
    QTemporaryDir dir;
    Snapshot earlier, later;
    size_t nodes = 0, files = 0;
};

SnapshotPair& pair() {
    static SnapshotPair instance;
    return instance;
}

// From the pick that completes the pair to the changes shown, through the store, with the window
// thread's own share of it (the time spent handling the results handed back).
void snapshotCompareOnScreen(benchmark::State& state) {
    ensureApplication();
    auto& p = pair();
    SnapshotStore store(p.dir.path().toStdString());
    StoreSnapshotSource source(store);
    SnapshotComparison comparison(source);
    comparison.setAfter(p.later.id);
    // The window thread is busy from each wake-up to the moment it blocks again.
    double windowMs = 0, worstWindowMs = 0;
    QElapsedTimer busy;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { busy.start(); });
    auto rest = [&] {
        if (!busy.isValid()) return;
        const double ms = double(busy.nsecsElapsed()) / 1e6;
        windowMs += ms;
        worstWindowMs = std::max(worstWindowMs, ms);
        busy.invalidate();
    };
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, rest);
    size_t shown = 0;
    for (auto _ : state) {
        busy.start();
        comparison.setBefore(p.earlier.id);
        while (comparison.state().kind == ComparisonState::Kind::loading)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        rest(); // handling the result
        shown = comparison.state().deltas.size();
        state.PauseTiming();
        comparison.setBefore(std::nullopt);
        state.ResumeTiming();
    }
    state.counters["files"] = double(p.files);
    state.counters["folders"] = double(p.earlier.folderSizes.size());
    state.counters["shown"] = double(shown);
    state.counters["window_ms"] = windowMs / double(state.iterations());
    state.counters["worst_event_ms"] = worstWindowMs;
}
BENCHMARK(snapshotCompareOnScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void snapshotDecode(benchmark::State& state) {
    auto& p = pair();
    for (auto _ : state)
        benchmark::DoNotOptimize(SnapshotStore::readSnapshot(p.file(p.earlier)));
}
BENCHMARK(snapshotDecode)->Unit(benchmark::kMillisecond);

void snapshotDeltas(benchmark::State& state) {
    auto& p = pair();
    size_t changes = 0;
    for (auto _ : state) {
        auto deltas = Snapshot::deltas(p.earlier, p.later);
        changes = deltas.size();
        deltas.resize(std::min<size_t>(deltas.size(), 200));
        benchmark::DoNotOptimize(deltas.data());
    }
    state.counters["changes"] = double(changes);
}
BENCHMARK(snapshotDeltas)->Unit(benchmark::kMillisecond);

} // namespace
