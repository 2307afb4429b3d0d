// The bubbles: packing the root of the 1,000,000-node tree and a folder of 100,000 children, fitting
// the packed circles into a new size, and repaints and hover frames at 1680 x 1050.
#include "bench/micro/BenchApplication.h"
#include "bench/micro/RegroupedFrame.h"
#include "bench/micro/WideFolder.h"
#include "shell/style/Palette.h"
#include "visualizations/bubbles/BubblesView.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

namespace {

const FileNode* sourceOf(ColorMode mode) {
    auto& s = million();
    // The regrouping is made once per tree and kept (the view asks the tree for it).
    return mode == ColorMode::type  ? s.tree->categoryGroups(s.tree->root())
           : mode == ColorMode::age ? s.tree->ageGroups(s.tree->root(), palette::nowStamp())
                                    : s.tree->root();
}

void bubblesPackMillionRoot(benchmark::State& state) {
    const auto mode = ColorMode(state.range(0));
    const FileNode* source = sourceOf(mode);
    const double now = palette::nowStamp();
    size_t circles = 0;
    for (auto _ : state) {
        auto tree = bubbles::buildPackTree(source, mode, now);
        circles = tree.size();
        benchmark::DoNotOptimize(tree);
    }
    state.counters["circles"] = double(circles);
    state.counters["nodes"] = double(million().nodes);
}
BENCHMARK(bubblesPackMillionRoot)
    ->Arg(int(ColorMode::folder))
    ->Arg(int(ColorMode::type))
    ->Arg(int(ColorMode::age))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

void bubblesPackWideFolder(benchmark::State& state) {
    const FileNode* folder = wideFolder(state.range(0) != 0).tree->root();
    for (auto _ : state) {
        auto tree = bubbles::buildPackTree(folder, ColorMode::folder, palette::nowStamp());
        benchmark::DoNotOptimize(tree);
    }
}
BENCHMARK(bubblesPackWideFolder)->Arg(0)->Arg(1)->ArgName("equal")->Unit(benchmark::kMillisecond);

// The most circles a tree of about 1,000,000 nodes can give: 60 folders of 60 folders of 60 folders of
// 4 files, every node within the four packed levels and none beyond the 60 kept per circle.
struct DenseTree {
    DenseTree() : tree(std::make_shared<ScanTree>("/dense", "dense")) { fill(tree->root(), 0); }
    std::shared_ptr<ScanTree> tree;

  private:
    void fill(FileNode* folder, int depth) {
        const int count = depth < 3 ? 60 : 4;
        FileNode** kids = tree->arena().allocateArray<FileNode*>(size_t(count));
        for (int i = 0; i < count; ++i) {
            FileNode* child = FileNode::make(tree->arena(), depth < 3 ? "d" : "f.bin", depth < 3);
            child->setParent(folder);
            if (depth < 3)
                fill(child, depth + 1);
            else
                child->sizeOnDisk = 4096 * (1 + (i * 7 + depth) % 5);
            folder->sizeOnDisk += child->sizeOnDisk;
            kids[i] = child;
        }
        folder->setChildren(kids, uint32_t(count));
        FileNode::sortBySizeOnDisk(folder->mutableChildren());
    }
};

void bubblesPackDenseTree(benchmark::State& state) {
    static DenseTree dense;
    size_t circles = 0;
    for (auto _ : state) {
        auto tree = bubbles::buildPackTree(dense.tree->root(), ColorMode::folder, palette::nowStamp());
        circles = tree.size();
        benchmark::DoNotOptimize(tree);
    }
    state.counters["circles"] = double(circles);
}
BENCHMARK(bubblesPackDenseTree)->Unit(benchmark::kMillisecond);

// A view showing the million root at 1680 x 1050, its picture drawn once.
struct ShownView {
    explicit ShownView(ColorMode mode = ColorMode::folder) {
        sourceOf(mode); // the regrouping made beforehand: the view would draw without it for now
        view.resize(1680, 1050);
        CanvasView::State s;
        s.tree = million().tree;
        s.folder = s.tree->root();
        s.generation = 1;
        s.colorMode = mode;
        view.setState(s);
        view.render(&image);
    }
    bool application = (ensureApplication(), true); // before any widget
    BubblesView view;
    QImage image{1680, 1050, QImage::Format_ARGB32_Premultiplied};
};

// A resize: the view fits the packed circles into the new size (what hit tests and the picture use);
// the picture itself is drawn with the next paint (the "whole picture" repaint below).
void bubblesResizeFit(benchmark::State& state) {
    ShownView shown;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        shown.view.resize(flip ? QSize(1679, 1049) : QSize(1680, 1050));
        benchmark::DoNotOptimize(shown.view.bubbles().data());
    }
    state.counters["bubbles"] = double(shown.view.bubbles().size());
}
BENCHMARK(bubblesResizeFit)->Unit(benchmark::kMillisecond);

// Repaints through QWidget::render: a new selection (its ring drawn over the cached picture) or, with
// "wholePicture", the picture drawn again (each iteration toggles the abbreviated labels, as a change
// of theme or size redraws it).
void bubblesRepaint(benchmark::State& state) {
    ShownView shown(ColorMode(state.range(1)));
    const bool wholePicture = state.range(0) != 0;
    const auto& drawn = shown.view.bubbles();
    if (drawn.size() < 2) {
        state.SkipWithError("nothing drawn");
        return;
    }
    FileNode* a = drawn[1].node;
    FileNode* b = drawn.back().node;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        if (wholePicture)
            shown.view.setAbbreviateLabels(flip);
        else
            shown.view.setSelected(flip ? a : b);
        shown.view.render(&shown.image);
    }
    state.counters["bubbles"] = double(drawn.size());
}
BENCHMARK(bubblesRepaint)
    ->ArgsProduct({{0, 1}, {int(ColorMode::folder), int(ColorMode::type)}})
    ->ArgNames({"wholePicture", "mode"})
    ->Unit(benchmark::kMillisecond);

// A hover frame: the pointer moves onto another circle (hit test, chip) and the view is shown again:
// the cached picture and the hover ring over it.
void bubblesHoverFrame(benchmark::State& state) {
    ShownView shown;
    const auto& drawn = shown.view.bubbles();
    const QPointF points[] = {drawn[drawn.size() / 2].center, drawn.back().center};
    int i = 0;
    for (auto _ : state) {
        const QPointF at = points[i++ % 2];
        QMouseEvent move(QEvent::MouseMove, at, shown.view.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&shown.view, &move);
        shown.view.render(&shown.image);
    }
    state.counters["bubbles"] = double(drawn.size());
}
BENCHMARK(bubblesHoverFrame)->Unit(benchmark::kMillisecond);

// The first "By type" / "By age" frame of the root (see RegroupedFrame.h).
void bubblesFirstRegroupedFrame(benchmark::State& state) {
    regroupedFrame<BubblesView>(state);
}
BENCHMARK(bubblesFirstRegroupedFrame)
    ->ArgsProduct({{int(ColorMode::type), int(ColorMode::age)}, {0}, {0, 1}})
    ->ArgNames({"mode", "inline", "part"})
    ->Unit(benchmark::kMillisecond);

} // namespace
