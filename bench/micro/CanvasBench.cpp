// Layout and drawing of the treemap and the sunburst: a folder of 100,000 children, the root of a
// tree of about 1,000,000 nodes, and a full repaint at 1680 x 1050 from a cached layout.
#include "bench/micro/BenchApplication.h"
#include "bench/micro/CanvasRepaint.h"
#include "bench/micro/RegroupedFrame.h"
#include "bench/micro/WideFolder.h"
#include "shell/style/Fonts.h"
#include "shell/style/Palette.h"
#include "shell/style/Theme.h"
#include "visualizations/sunburst/SunburstView.h"
#include "visualizations/treemap/TreemapView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

namespace {

const QRectF kFrame(0, 0, 1680 - 26, 1050 - 26);

void treemapLayoutWideFolder(benchmark::State& state) {
    const FileNode* folder = wideFolder(state.range(0) != 0).tree->root();
    size_t cells = 0;
    for (auto _ : state) {
        auto result = treemap::buildCells(folder, kFrame, 7, ColorMode::folder, palette::nowStamp());
        cells = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["cells"] = double(cells);
}
BENCHMARK(treemapLayoutWideFolder)->Arg(0)->Arg(1)->ArgName("equal")->Unit(benchmark::kMillisecond);

void treemapLayoutMillionRoot(benchmark::State& state) {
    auto& s = million();
    const auto mode = ColorMode(state.range(0));
    const double now = palette::nowStamp();
    // The regrouping is made once per tree and kept (the view asks the tree for it).
    const FileNode* source = mode == ColorMode::type  ? s.tree->categoryGroups(s.tree->root())
                             : mode == ColorMode::age ? s.tree->ageGroups(s.tree->root(), now)
                                                      : s.tree->root();
    size_t cells = 0;
    for (auto _ : state) {
        auto result = treemap::buildCells(source, kFrame, 7, mode, now);
        cells = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["cells"] = double(cells);
    state.counters["nodes"] = double(s.nodes);
}
BENCHMARK(treemapLayoutMillionRoot)
    ->Arg(int(ColorMode::folder))
    ->Arg(int(ColorMode::type))
    ->Arg(int(ColorMode::age))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

// The first "By type" or "By age" layout of a folder also regroups its files (afterwards the tree
// keeps the regrouping): every file below the root, grouped and sorted.
void regroupMillionRoot(benchmark::State& state) {
    auto& s = million();
    const double now = palette::nowStamp();
    for (auto _ : state) {
        Arena arena;
        const FileNode* groups = state.range(0) == int(ColorMode::type)
                                     ? buildCategoryGroups(arena, s.tree->root())
                                     : buildAgeGroups(arena, s.tree->root(), now);
        benchmark::DoNotOptimize(groups);
    }
}
BENCHMARK(regroupMillionRoot)
    ->Arg(int(ColorMode::type))
    ->Arg(int(ColorMode::age))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

// The treemap's first "By type" / "By age" frame (see RegroupedFrame.h).
void firstRegroupedFrame(benchmark::State& state) {
    regroupedFrame<TreemapView>(state);
}
BENCHMARK(firstRegroupedFrame)
    ->ArgsProduct({{int(ColorMode::type), int(ColorMode::age)}, {0, 1}, {0, 1}})
    ->ArgNames({"mode", "inline", "part"})
    ->Unit(benchmark::kMillisecond);

void sunburstArcs(benchmark::State& state) {
    const FileNode* source = state.range(0) ? million().tree->root() : wideFolder(true).tree->root();
    size_t arcs = 0;
    for (auto _ : state) {
        auto result = sunburst::buildArcs(source, 7, ColorMode::folder, palette::nowStamp());
        arcs = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["arcs"] = double(arcs);
}
BENCHMARK(sunburstArcs)->Arg(0)->Arg(1)->ArgName("millionRoot")->Unit(benchmark::kMillisecond);

void treemapRepaint(benchmark::State& state) {
    repaint<TreemapView>(state, state.range(0) ? million().tree : wideFolder(false).tree);
}
BENCHMARK(treemapRepaint)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"millionRoot", "wholePicture"})
    ->Unit(benchmark::kMillisecond);

// 100,000 equal files, each too small for its inset: runs of them are drawn as blocks
// standing for their folder.
void treemapRepaintEqualFiles(benchmark::State& state) {
    repaint<TreemapView>(state, wideFolder(true).tree);
}
BENCHMARK(treemapRepaintEqualFiles)->Arg(0)->Arg(1)->ArgName("wholePicture")->Unit(benchmark::kMillisecond);

void sunburstRepaint(benchmark::State& state) {
    repaint<SunburstView>(state, state.range(0) ? million().tree : wideFolder(false).tree);
}
BENCHMARK(sunburstRepaint)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"millionRoot", "wholePicture"})
    ->Unit(benchmark::kMillisecond);

// A new selection in the dark theme, where a mark on a light fill is a double rim: its two halves are
// the band around the edge cut by the shape.
void markRepaintDark(benchmark::State& state) {
    ensureApplication();
    ThemeManager::instance().setThemeName(ThemeName::dark);
    if (state.range(0))
        repaint<SunburstView>(state, million().tree);
    else
        repaint<TreemapView>(state, million().tree);
    ThemeManager::instance().setThemeName(ThemeName::light);
}
BENCHMARK(markRepaintDark)
    ->ArgsProduct({{0, 1}, {0}})
    ->ArgNames({"sunburst", "wholePicture"})
    ->Unit(benchmark::kMillisecond);

} // namespace
