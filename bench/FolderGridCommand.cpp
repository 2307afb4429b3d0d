#include "bench/BenchCommand.h"
#include "bench/ScannedFolder.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "visualizations/foldergrid/FolderGridView.h"

#include <QImage>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

// Scans PATH, picks the folder with the most direct children (or --folder RELATIVE) and measures the
// folder grid on it in a shown window: the first screen, wheel steps through the whole grid, jumps,
// and typing into the filter. Opening is timed twice: first in the process, then again. Prints one line of
// key=value figures.
int runFolderGrid(const std::vector<std::string>& arguments) {
    const bench::ViewArguments args(arguments, "foldergrid");
    if (args.path.empty()) return 2;
    const int width = args.width, height = args.height;
    bench::ViewApplication app;
    bench::ScannedFolder scanned(args.path, args.relative);
    FileNode* folder = scanned.folder;
    if (!folder) return 1;
    size_t folders = 0;
    for (const FileNode* child : folder->children())
        folders += child->isDirectory();

    ScanViewModel viewModel;
    QImage screen(width, height, QImage::Format_ARGB32_Premultiplied);
    // The first grid of the process pays for fonts, glyphs and card pictures; later ones find them.
    auto start = Clock::now();
    {
        FolderGridView first(viewModel, folder);
        first.resize(width, height);
        first.render(&screen);
    }
    const double coldOpenMs = msSince(start);
    start = Clock::now();
    FolderGridView view(viewModel, folder);
    view.resize(width, height);
    view.render(&screen);
    const double openMs = msSince(start);

    view.show();
    QCoreApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    std::vector<double> steps, jumps;
    for (int value = 0; value < bar->maximum() && steps.size() < 2000; value += 72) {
        start = Clock::now();
        bar->setValue(value + 72);
        QCoreApplication::processEvents();
        steps.push_back(msSince(start));
    }
    for (int i = 1; i <= 20; ++i) {
        start = Clock::now();
        bar->setValue(int(int64_t(bar->maximum()) * ((i * 7) % 20) / 20));
        QCoreApplication::processEvents();
        jumps.push_back(msSince(start));
    }
    std::vector<double> filters;
    for (const char* text : {"a", "ab", "a", ""}) {
        start = Clock::now();
        viewModel.setFilter(QString::fromUtf8(text));
        QCoreApplication::processEvents();
        filters.push_back(msSince(start));
    }
    std::printf("folder=%s children=%zu folders=%zu files=%zu cold_open_ms=%.2f open_ms=%.2f "
                "scroll_steps=%zu step_ms_median=%.3f "
                "step_ms_max=%.2f jump_ms_median=%.2f jump_ms_max=%.2f filter_ms_max=%.2f\n",
                folder->path().c_str(), folder->children().size(), folders,
                folder->children().size() - folders, coldOpenMs, openMs, steps.size(), median(steps),
                steps.empty() ? 0.0 : *std::max_element(steps.begin(), steps.end()), median(jumps),
                *std::max_element(jumps.begin(), jumps.end()),
                *std::max_element(filters.begin(), filters.end()));
    return 0;
}

const BenchCommand folderGridCommand{
    "foldergrid", "foldergrid PATH [--folder RELATIVE] [--width W] [--height H]", runFolderGrid};

} // namespace
