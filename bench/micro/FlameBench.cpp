// The flame graph at 1680 x 1050: layouts of the root of the 1,000,000-node tree and of a folder of
// 100,000 children, repaints from the cached picture, a wheel step, and what the window thread spends
// on the first "By type" / "By age" frames of the root.
#include "bench/micro/BenchApplication.h"
#include "bench/micro/CanvasRepaint.h"
#include "bench/micro/RegroupedFrame.h"
#include "bench/micro/WideFolder.h"
#include "shell/style/Palette.h"
#include "visualizations/flame/FlameGraphView.h"

#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

constexpr int kViewWidth = 1680, kDepth = 7;

// The most blocks a layout can hold: 1,600 equal folders side by side, each a chain of folders down
// to the depth limit, so that every row is filled with blocks of about one point.
struct DenseFolder {
    DenseFolder() : tree(std::make_shared<ScanTree>("/dense", "dense")) {
        Arena& arena = tree->arena();
        const uint32_t count = 1600;
        FileNode* root = tree->root();
        FileNode** kids = arena.allocateArray<FileNode*>(count);
        for (uint32_t i = 0; i < count; ++i) {
            FileNode* parent = root;
            FileNode** slot = &kids[i];
            for (int level = 1; level <= kDepth; ++level) {
                const bool folder = level < kDepth;
                FileNode* node = FileNode::make(arena, folder ? "dir" : "file", folder);
                node->setParent(parent);
                node->sizeOnDisk = 4096;
                *slot = node;
                if (folder) {
                    slot = arena.allocateArray<FileNode*>(1);
                    node->setChildren(slot, 1);
                }
                parent = node;
            }
        }
        root->setChildren(kids, count);
        root->sizeOnDisk = 4096 * int64_t(count);
    }
    std::shared_ptr<ScanTree> tree;
};

// 0 the wide folder (varied sizes), 1 the wide folder (equal sizes), 2 the million root, 3 the dense
// folder.
std::shared_ptr<ScanTree> treeFor(int64_t which) {
    static DenseFolder dense;
    if (which < 2) return wideFolder(which == 1).tree;
    return which == 2 ? million().tree : dense.tree;
}

// range(0): the tree (treeFor); range(1): the colour mode ("By type" and "By age" lay out the
// regrouping the tree keeps).
void flameLayout(benchmark::State& state) {
    const auto mode = ColorMode(state.range(1));
    const double now = palette::nowStamp();
    ScanTree& tree = *treeFor(state.range(0));
    const FileNode* folder = tree.root();
    const FileNode* source = mode == ColorMode::type  ? tree.categoryGroups(folder)
                             : mode == ColorMode::age ? tree.ageGroups(folder, now)
                                                      : folder;
    size_t blocks = 0;
    for (auto _ : state) {
        auto result = flame::layout(source, kDepth, mode, flame::contentWidth(kViewWidth), now);
        blocks = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["blocks"] = double(blocks);
}
BENCHMARK(flameLayout)
    ->ArgsProduct({{0, 1, 2}, {int(ColorMode::folder), int(ColorMode::type), int(ColorMode::age)}})
    ->Args({3, int(ColorMode::folder)})
    ->ArgNames({"tree", "mode"})
    ->Unit(benchmark::kMillisecond);

// Repaints from the cached picture at depth 7 and 10 (range(2)).
void flameRepaint(benchmark::State& state) {
    repaint<FlameGraphView>(state, treeFor(state.range(0)), int(state.range(2)));
}
BENCHMARK(flameRepaint)
    ->ArgsProduct({{0, 2, 3}, {0, 1}, {7, 10}})
    ->ArgNames({"tree", "wholePicture", "depth"})
    ->Unit(benchmark::kMillisecond);

// One wheel step (three lines) in a shown window 500 points high at depth 10, as the event loop
// handles it: the rows move, the uncovered strip is painted from the cached picture.
void flameScrollStep(benchmark::State& state) {
    ensureApplication();
    auto tree = million().tree;
    FlameGraphView view;
    view.resize(kViewWidth, 500);
    view.show();
    CanvasView::State s;
    s.tree = tree;
    s.folder = tree->root();
    s.generation = 1;
    s.depth = 10;
    view.canvas()->setState(s);
    QApplication::processEvents(); // shown: the scroll area sizes the canvas, the window is painted
    QScrollBar* bar = view.verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value += 3 * bar->singleStep();
        if (value > bar->maximum()) value = 0;
        bar->setValue(value);
        QApplication::processEvents();
    }
    state.counters["range"] = double(bar->maximum());
}
BENCHMARK(flameScrollStep)->Unit(benchmark::kMillisecond);

// The first "By type" / "By age" frame of the million root and of its largest child ("part"), and
// the frame once the regrouping is there ("nextFrameMs"; see RegroupedFrame.h).
void flameFirstRegroupedFrame(benchmark::State& state) {
    regroupedFrame<FlameGraphView>(state);
}
BENCHMARK(flameFirstRegroupedFrame)
    ->ArgsProduct({{int(ColorMode::type), int(ColorMode::age)}, {0}, {0, 1}})
    ->ArgNames({"mode", "inline", "part"})
    ->Unit(benchmark::kMillisecond);

} // namespace
