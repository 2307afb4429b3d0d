// The folder grid over a folder of 100,000 children: opening it (partition, layout and the first
// painted screen), scrolling it (a wheel step, and a jump that paints a whole screen), and narrowing it
// by the filter.
#include "bench/micro/BenchApplication.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"
#include "visualizations/foldergrid/FolderGridView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>
#include <new>
#include <string>

namespace {

// One folder of `folders` subfolders (each with bytes in three categories) and `files` files, sized
// and ordered like a scan leaves them.
struct WideFolder {
    WideFolder(int folders, int files) : tree(std::make_shared<ScanTree>("/bench", "bench")) {
        Arena& arena = tree->arena();
        folder = FileNode::make(arena, "wide", true);
        folder->setParent(tree->root());
        const int count = folders + files;
        FileNode** children = arena.allocateArray<FileNode*>(size_t(count));
        for (int i = 0; i < count; ++i) {
            const bool isFolder = i < folders;
            const std::string childName =
                (isFolder ? "folder-" : "file-") + std::to_string(i) + (isFolder ? "" : ".jpg");
            FileNode* child = FileNode::make(arena, childName, isFolder);
            child->setParent(folder);
            child->sizeOnDisk = child->logicalSize = int64_t(count - i) * 4096;
            child->modifiedStamp = 1.7e9 - i * 3600.0;
            if (isFolder) {
                auto* totals = new (arena.allocateArray<FolderTotals>(1)) FolderTotals{};
                totals->typeSizes[size_t(i % 9)] = child->sizeOnDisk / 2;
                totals->typeSizes[size_t((i + 3) % 9)] = child->sizeOnDisk / 3;
                totals->typeSizes[size_t((i + 5) % 9)] = child->sizeOnDisk / 6;
                totals->fileCount = 12 + i % 1000;
                child->setTotals(totals, true);
            } else {
                child->category = FileCategory::image;
            }
            children[i] = child;
        }
        folder->setChildren(children, uint32_t(count));
    }
    std::shared_ptr<ScanTree> tree;
    FileNode* folder = nullptr;
};

constexpr int kWidth = 1400, kHeight = 900;

// From nothing to the first painted screen: the view partitions the children, lays out every
// cell and paints the visible ones.
void openFolder(benchmark::State& state) {
    ensureApplication();
    const int folders = int(state.range(0)), files = int(state.range(1));
    WideFolder wide(folders, files);
    ScanViewModel viewModel;
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        FolderGridView view(viewModel, wide.folder);
        view.resize(kWidth, kHeight);
        view.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["children"] = double(folders + files);
}
BENCHMARK(openFolder)
    ->Args({100'000, 0})
    ->Args({0, 100'000})
    ->Args({50'000, 50'000})
    ->Args({1'000, 100})
    ->Unit(benchmark::kMillisecond);

// A grid over a wide folder, sized and painted once.
struct ShownGrid {
    explicit ShownGrid(int folders) : wide(folders, 0), view(viewModel, wide.folder) {
        view.resize(kWidth, kHeight);
        view.render(&screen);
    }
    WideFolder wide;
    ScanViewModel viewModel;
    FolderGridView view;
    QImage screen{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
};

// One wheel step (72 points) in a shown window, as the event loop handles it: what was drawn
// moves, the uncovered strip is painted, the window is flushed.
void scrollStep(benchmark::State& state) {
    ensureApplication();
    ShownGrid grid(100'000);
    grid.view.show();
    QCoreApplication::processEvents();
    QScrollBar* bar = grid.view.verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value += 72;
        if (value > bar->maximum()) value = 0;
        bar->setValue(value);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(scrollStep)->Unit(benchmark::kMillisecond);

// A jump anywhere in the 100,000 cards: a whole new screen is painted.
void scrollJump(benchmark::State& state) {
    ensureApplication();
    ShownGrid grid(100'000);
    QScrollBar* bar = grid.view.verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + 99'991) % bar->maximum(); // far away: no row of the last screen stays
        bar->setValue(value);
        grid.view.viewport()->render(&grid.screen);
        benchmark::DoNotOptimize(grid.screen.constBits());
    }
}
BENCHMARK(scrollJump)->Unit(benchmark::kMillisecond);

// Typing into the filter: partition 100,000 names again and paint.
void filterFolder(benchmark::State& state) {
    ensureApplication();
    ShownGrid grid(100'000);
    bool flip = false;
    for (auto _ : state) {
        grid.viewModel.setFilter((flip = !flip) ? QStringLiteral("der-9") : QStringLiteral("der-99"));
        grid.view.render(&grid.screen);
        benchmark::DoNotOptimize(grid.screen.constBits());
    }
}
BENCHMARK(filterFolder)->Unit(benchmark::kMillisecond);

} // namespace
