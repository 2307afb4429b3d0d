// The mind map on the root of a tree of about 1,000,000 nodes at 1680 x 1050: its layout, a full
// repaint (connectors, dots, label placement and the centre disc, drawn on every paint) and what the
// window thread spends on the first "By type" / "By age" frame.
#include "bench/micro/BenchApplication.h"
#include "bench/micro/RegroupedFrame.h"
#include "bench/micro/WideFolder.h"
#include "shell/style/Palette.h"
#include "visualizations/mindmap/MindMapView.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

// A folder that fills every ring: 8 folders of 7 folders of 6 files, 400 branches, with sizes spread
// over six orders of magnitude, so that a few dozen branches ask for a label.
struct FullFolder {
    FullFolder() : tree(std::make_shared<ScanTree>("/data", "data")) {
        std::mt19937_64 random(11);
        std::uniform_real_distribution<double> exponent(3, 9);
        std::function<void(FileNode*, int)> fill = [&](FileNode* parent, int depth) {
            const int count = depth == 0 ? 8 : depth == 1 ? 7 : 6;
            FileNode** kids = tree->arena().allocateArray<FileNode*>(size_t(count));
            for (int i = 0; i < count; ++i) {
                FileNode* node = FileNode::make(tree->arena(), depth < 2 ? "folder" : "file.bin", depth < 2);
                node->setParent(parent);
                if (depth < 2)
                    fill(node, depth + 1);
                else
                    node->sizeOnDisk = int64_t(std::pow(10.0, exponent(random)));
                parent->sizeOnDisk += node->sizeOnDisk;
                kids[i] = node;
            }
            parent->setChildren(kids, uint32_t(count));
            FileNode::sortBySizeOnDisk(parent->mutableChildren());
        };
        fill(tree->root(), 0);
    }
    std::shared_ptr<ScanTree> tree;
};

const QSizeF kSize(1680, 1050);

const FileNode* sourceFor(ScanTree& tree, ColorMode mode, double now) {
    return mode == ColorMode::type  ? tree.categoryGroups(tree.root())
           : mode == ColorMode::age ? tree.ageGroups(tree.root(), now)
                                    : tree.root();
}

// With the regrouping kept by the tree, as the view finds it after its first frame.
void mindMapLayout(benchmark::State& state) {
    auto& s = million();
    const auto mode = ColorMode(state.range(0));
    const double now = palette::nowStamp();
    const FileNode* source = sourceFor(*s.tree, mode, now);
    size_t branches = 0;
    for (auto _ : state) {
        auto result = mind_map::computeBranches(source, mode, kSize, now);
        branches = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["branches"] = double(branches);
}
BENCHMARK(mindMapLayout)
    ->Arg(int(ColorMode::folder))
    ->Arg(int(ColorMode::type))
    ->Arg(int(ColorMode::age))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

// A paint of the view through QWidget::render, the layout cached: each iteration hovers another
// branch, which places the labels anew, as moving the pointer does.
void repaint(benchmark::State& state, const std::shared_ptr<ScanTree>& tree, ColorMode mode) {
    ensureApplication();
    sourceFor(*tree, mode, palette::nowStamp());
    MindMapView view;
    view.resize(kSize.toSize());
    CanvasView::State viewState;
    viewState.tree = tree;
    viewState.folder = tree->root();
    viewState.generation = 1;
    viewState.colorMode = mode;
    viewState.depth = 3;
    view.setState(viewState);
    QImage image(kSize.toSize(), QImage::Format_ARGB32_Premultiplied);
    view.render(&image);
    const auto& branches = view.items();
    size_t labels = 0, next = 0;
    for (auto _ : state) {
        const mind_map::Branch& b = branches[next++ % branches.size()];
        QMouseEvent move(QEvent::MouseMove, b.point, view.mapToGlobal(b.point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        view.render(&image);
        state.PauseTiming();
        labels += mind_map::placeLabels(branches, view.hovered(), false).size();
        state.ResumeTiming();
    }
    state.counters["branches"] = double(branches.size());
    state.counters["labels"] = double(labels) / double(state.iterations());
}

void mindMapRepaint(benchmark::State& state) {
    repaint(state, million().tree, ColorMode(state.range(0)));
}
BENCHMARK(mindMapRepaint)
    ->Arg(int(ColorMode::folder))
    ->Arg(int(ColorMode::type))
    ->Arg(int(ColorMode::age))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

void mindMapRepaintFullRings(benchmark::State& state) {
    static FullFolder folder;
    repaint(state, folder.tree, ColorMode(state.range(0)));
}
// Only "By folder" fills the rings: a regrouping's groups hold files, which are leaves.
BENCHMARK(mindMapRepaintFullRings)
    ->Arg(int(ColorMode::folder))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

// The first "By type" / "By age" frame of the root and of its largest child (see RegroupedFrame.h):
// the regrouping is made on a pool thread, the frame drawn with the centre disc alone meanwhile.
void mindMapFirstRegroupedFrame(benchmark::State& state) {
    regroupedFrame<MindMapView>(state);
}
BENCHMARK(mindMapFirstRegroupedFrame)
    ->ArgsProduct({{int(ColorMode::type), int(ColorMode::age)}, {0}, {0, 1}})
    ->ArgNames({"mode", "inline", "part"})
    ->Unit(benchmark::kMillisecond);

} // namespace
