#include "bench/BenchCommand.h"
#include "bench/ScannedFolder.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "shell/lists/NodeListModel.h"
#include "visualizations/outline/OutlineListView.h"
#include "visualizations/topsizes/TopSizeRow.h"
#include "visualizations/topsizes/TopSizesView.h"

#include <QImage>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

double maxOf(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// Times `step` followed by the repaint it causes, in a shown widget.
template <typename Step> double timed(Step&& step) {
    const auto start = Clock::now();
    step();
    QCoreApplication::processEvents();
    return msSince(start);
}

// The height of the viewport area each scroll step repaints: the rows painted are those it meets.
class PaintedArea : public QObject {
  public:
    using QObject::QObject;
    std::vector<double> heights;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            heights.push_back(static_cast<QPaintEvent*>(event)->region().boundingRect().height());
        return QObject::eventFilter(watched, event);
    }
};

// Scans PATH and measures the two list views on the folder with the most direct children (or --folder
// RELATIVE) at the Explore area's size: Top Sizes' first frame ("In this folder"), typing into the
// filter and scrolling its rows; the outline's first frame of that folder; and, in the outline of PATH,
// opening folders (the measured folder, capped at its 500 largest children, and the first other folder).
// Prints one line of key=value figures.
int runLists(const std::vector<std::string>& arguments) {
    const bench::ViewArguments args(arguments, "lists");
    if (args.path.empty()) return 2;
    const int width = args.width, height = args.height;
    bench::ViewApplication app;
    bench::ScannedFolder scanned(args.path, args.relative);
    FileNode* folder = scanned.folder;
    if (!folder) return 1;
    FileNode* root = scanned.tree->root();
    ScanViewModel viewModel;
    QImage screen(width, height, QImage::Format_ARGB32_Premultiplied);

    // Top Sizes: the first view of the process pays for fonts and glyphs; later ones find them.
    std::vector<double> opens;
    for (int i = 0; i < 6; ++i) {
        const auto start = Clock::now();
        TopSizesView view(viewModel, folder);
        view.resize(width, height);
        view.render(&screen);
        opens.push_back(msSince(start));
    }
    const double coldOpen = opens.front();
    opens.erase(opens.begin());

    TopSizesView top(viewModel, folder);
    top.resize(width, height);
    top.show();
    QCoreApplication::processEvents();
    std::vector<double> keys;
    for (const char* text : {"i", "it", "ite", "item", "item1", "item12", "item123", "item12", "item1",
                             "item", "ite", "it", "i", ""})
        keys.push_back(timed([&] { viewModel.setFilter(QString::fromUtf8(text)); }));
    QScrollBar* bar = top.list()->verticalScrollBar();
    std::vector<double> steps;
    PaintedArea painted;
    top.list()->viewport()->installEventFilter(&painted);
    for (int value = 0; value < bar->maximum(); value += 72)
        steps.push_back(timed([&] { bar->setValue(value + 72); }));
    top.list()->viewport()->removeEventFilter(&painted);
    const double rowsPerStep = median(painted.heights) / TopSizeRow::kHeight;

    // The outline of the folder itself, then the outline of PATH opening folders.
    std::vector<double> outlineOpens;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        OutlineListView view(viewModel, folder);
        view.resize(width, height);
        view.render(&screen);
        outlineOpens.push_back(msSince(start));
    }
    OutlineListView outline(viewModel, root);
    outline.resize(width, height);
    outline.show();
    QCoreApplication::processEvents();
    NodeListModel& rows = *outline.rows();
    const QModelIndex wide = rows.indexOf(folder);
    QModelIndex other;
    for (int row = 0; row < rows.rowCount() && !other.isValid(); ++row)
        if (rows.index(row, 0) != wide && rows.hasChildren(rows.index(row, 0))) other = rows.index(row, 0);
    std::vector<double> expandWide, expandOther;
    for (int i = 0; i < 5; ++i) {
        // Each time a fresh list, so that the rows are made anew.
        OutlineListView fresh(viewModel, root);
        fresh.resize(width, height);
        fresh.show();
        QCoreApplication::processEvents();
        NodeListModel& freshRows = *fresh.rows();
        if (wide.isValid())
            expandWide.push_back(timed([&] { fresh.expand(freshRows.index(wide.row(), 0)); }));
        if (other.isValid())
            expandOther.push_back(timed([&] { fresh.expand(freshRows.index(other.row(), 0)); }));
    }

    std::printf("folder=%s children=%zu top_cold_open_ms=%.2f top_open_ms=%.2f top_key_ms_median=%.2f "
                "top_key_ms_max=%.2f top_scroll_steps=%zu top_step_ms_median=%.3f top_step_ms_max=%.2f "
                "top_step_painted_rows=%.1f top_rows_in_sight=%.1f "
                "outline_open_ms=%.2f outline_expand_wide_ms=%.2f outline_expand_other_ms=%.2f "
                "other_children=%zu\n",
                folder->path().c_str(), folder->children().size(), coldOpen, median(opens), median(keys),
                maxOf(keys), steps.size(), median(steps), maxOf(steps), rowsPerStep,
                double(top.list()->viewport()->height()) / TopSizeRow::kHeight, median(outlineOpens),
                median(expandWide), median(expandOther),
                other.isValid() ? NodeListModel::node(other)->children().size() : size_t(0));
    return 0;
}

const BenchCommand listsCommand{"lists", "lists PATH [--folder RELATIVE] [--width W] [--height H]", runLists};

} // namespace
