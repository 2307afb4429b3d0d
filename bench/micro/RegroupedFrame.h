#pragma once

#include "bench/micro/BenchApplication.h"
#include "bench/micro/CanvasOf.h"
#include "bench/micro/WideFolder.h"
#include "shell/canvas/CanvasView.h"

#include <QApplication>
#include <QImage>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <chrono>
#include <limits>
#include <memory>
#include <thread>

// What the window thread spends on a canvas view's first "By type" / "By age" frame (QWidget::render
// at 1680 x 1050) of the million root, or of its largest child ("part"). By default the regrouping is
// made on a pool thread and the frame drawn without items after a short wait (none for the root, too
// large to be made in time); with "inline" set it is made on the window thread. The counter
// "arrivesMs" is the time from the frame's start until the regrouping is made; "nextFrameMs" the
// window thread's frame once it is there (the layout and the whole picture, untimed by the benchmark).
// Every frame gets a fresh tree over the million root's nodes, as the tree keeps its regroupings.
template <typename View> void regroupedFrame(benchmark::State& state) {
    ensureApplication();
    FileNode* nodes = million().tree->root();
    const int64_t previousLimit =
        CanvasView::setInlineRegroupLimit(state.range(1) ? std::numeric_limits<int64_t>::max() : 20'000);
    View view;
    view.resize(1680, 1050);
    QImage image(1680, 1050, QImage::Format_ARGB32_Premultiplied);
    double arrives = 0, next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_shared<ScanTree>(nodes->rootPath(), nodes->name());
        FileNode* root = tree->root();
        const auto top = nodes->children();
        root->setChildren(const_cast<FileNode**>(top.data()), uint32_t(top.size()));
        root->setTotals(nodes->totals(), true);
        root->sizeOnDisk = nodes->sizeOnDisk;
        root->logicalSize = nodes->logicalSize;
        CanvasView::State s;
        s.tree = tree;
        s.folder = state.range(2) ? root->children()[0] : root;
        s.generation = 1;
        s.colorMode = ColorMode(state.range(0));
        canvasOf(view).setState(s);
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        view.render(&image);
        state.PauseTiming();
        const FileNode* made = nullptr;
        while (!(made = s.colorMode == ColorMode::type ? tree->findCategoryGroups(s.folder)
                                                       : tree->findAgeGroups(s.folder)))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const std::chrono::duration<double, std::milli> waited = std::chrono::steady_clock::now() - start;
        arrives += waited.count();
        QThreadPool::globalInstance()->waitForDone();
        QApplication::processEvents(); // the view hears that the regrouping is there
        const auto before = std::chrono::steady_clock::now();
        view.render(&image);
        next += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
        state.ResumeTiming();
    }
    state.counters["arrivesMs"] = arrives / double(state.iterations());
    state.counters["nextFrameMs"] = next / double(state.iterations());
    state.counters["files"] = double((state.range(2) ? nodes->children()[0] : nodes)->fileCount());
    CanvasView::setInlineRegroupLimit(previousLimit);
}
