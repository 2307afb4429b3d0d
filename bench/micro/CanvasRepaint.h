#pragma once

#include "bench/micro/BenchApplication.h"
#include "bench/micro/CanvasOf.h"
#include "model/ScanTree.h"
#include "shell/canvas/CanvasView.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <memory>

// Repaints from the cached layout at 1680 x 1050, shown through QWidget::render. Each iteration
// either changes the selection (drawn over the cached picture) or toggles the abbreviated labels,
// which draws the whole picture again, as a change of theme does. `state.range(1)` chooses which.
template <typename View>
void repaint(benchmark::State& state, std::shared_ptr<ScanTree> tree, int depth = 7) {
    const bool wholePicture = state.range(1) != 0;
    ensureApplication();
    View view;
    view.resize(1680, 1050);
    auto& canvas = canvasOf(view);
    CanvasView::State s;
    s.tree = tree;
    s.folder = tree->root();
    s.generation = 1;
    s.depth = depth;
    canvas.setState(s);
    QImage image(1680, 1050, QImage::Format_ARGB32_Premultiplied);
    view.render(&image);           // the view gets its size
    QApplication::processEvents(); // a scroll area hides the bar it no longer needs
    view.render(&image);
    const size_t items = canvas.items().size();
    FileNode* a = tree->root()->children()[0];
    FileNode* b = tree->root()->children()[1];
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        if (wholePicture)
            canvas.setAbbreviateLabels(flip);
        else
            canvas.setSelected(flip ? a : b);
        view.render(&image);
    }
    state.counters["items"] = double(items);
}
