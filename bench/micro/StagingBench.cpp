// Bulk staging into the cleanup queue, as the window thread does it with the queue's popover open:
// "Keep this, stage the rest" on a group of 22,182 copies, and one batch of 20,000 paths (the untouched
// card's, the Applications screen's). Each is one change of the queue; the time includes the popover's
// refresh and the paint it asks for.
#include "bench/micro/BenchApplication.h"
#include "model/CleanupQueue.h"
#include "model/DuplicateFinder.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "tools/duplicates/KeepOneCopy.h"
#include "tools/queue/CleanupQueueView.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kCopies = 22'182, kFolders = 222, kBatch = 20'000;

// The application, with the state object's settings and snapshots in the benchmark's own folder. Made
// before the state object, which reads them when it is made.
struct PrivateHome {
    PrivateHome() {
        ensureApplication();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            qputenv(name, dir.filePath(QString::fromLatin1(name)).toUtf8());
    }
    QTemporaryDir dir;
};

// The copies, spread over folders below /home/ann/copies, and a state object with the popover open.
struct StagingSetup {
    StagingSetup() {
        FileNode* top = FileNode::make(tree->arena(), "copies", true);
        top->setParent(tree->root());
        attach(tree->root(), {top});
        std::vector<FileNode*> folders;
        for (int f = 0; f < kFolders; ++f) {
            FileNode* folder = FileNode::make(tree->arena(), "d" + std::to_string(f), true);
            folder->setParent(top);
            folders.push_back(folder);
        }
        attach(top, folders);
        group.size = 4000;
        std::vector<std::vector<FileNode*>> files(kFolders);
        for (int i = 0; i < kCopies; ++i) {
            FileNode* file = FileNode::make(tree->arena(), "photo copy " + std::to_string(i) + ".jpg", false);
            file->setParent(folders[size_t(i % kFolders)]);
            file->logicalSize = 4000;
            file->sizeOnDisk = 4096;
            files[size_t(i % kFolders)].push_back(file);
            group.files.push_back(file);
        }
        for (int f = 0; f < kFolders; ++f)
            attach(folders[size_t(f)], files[size_t(f)]);
        for (int i = 0; i < kBatch; ++i)
            batch.emplace_back("/home/ann/old/file " + std::to_string(i) + ".iso", 1 << 20);
        view = std::make_unique<CleanupQueueView>(model);
        view->resize(CleanupQueueView::kSize);
        view->show();
        QCoreApplication::processEvents();
    }
    void attach(FileNode* parent, const std::vector<FileNode*>& kids) {
        FileNode** array = tree->arena().allocateArray<FileNode*>(kids.size() + 1);
        std::copy(kids.begin(), kids.end(), array);
        parent->setChildren(array, static_cast<uint32_t>(kids.size()));
    }

    PrivateHome home;
    std::shared_ptr<ScanTree> tree = std::make_shared<ScanTree>("/home/ann", "ann");
    DuplicateFinder::Group group;
    std::vector<std::pair<std::string, int64_t>> batch;
    ScanViewModel model;
    std::unique_ptr<CleanupQueueView> view;
};

StagingSetup& setup() {
    static StagingSetup s;
    return s;
}

// Times one staging into an empty queue, the open popover's repaint included.
template <typename Stage> void timeStaging(benchmark::State& state, Stage stage) {
    StagingSetup& s = setup();
    CleanupQueue& queue = s.model.cleanupQueue();
    int staged = 0;
    for (auto _ : state) {
        state.PauseTiming();
        queue.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        staged = stage(s, queue);
        QCoreApplication::processEvents();
    }
    state.counters["staged"] = staged;
}

void stagingKeepOneCopy(benchmark::State& state) {
    timeStaging(state, [](StagingSetup& s, CleanupQueue& queue) {
        return keepAndStageRest(queue, s.group, s.group.files[0]);
    });
}
BENCHMARK(stagingKeepOneCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void stagingBatch(benchmark::State& state) {
    timeStaging(state, [](StagingSetup& s, CleanupQueue& queue) {
        return queue.addAll(s.batch, QStringLiteral("Not opened in a year"));
    });
}
BENCHMARK(stagingBatch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
