#include "bench/BenchCommand.h"
#include "bench/ScannedFolder.h"
#include "model/AgeReport.h"
#include "model/FileNode.h"
#include "model/FolderReports.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "visualizations/agemap/AgeMapView.h"
#include "visualizations/agemap/UntouchedCard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

// Files of a freshly written tree are all a few minutes old. With --aged their times are spread over
// twenty years and every 5,000th file is made 40-100 MB, in memory only, so that every card is full.
void age(FileNode* root) {
    const double now = double(QDateTime::currentSecsSinceEpoch());
    int64_t index = 0;
    root->forEachNode([&](FileNode* node) {
        if (node->isDirectory()) return;
        ++index;
        node->modifiedStamp = now - double((index * 7919) % (20 * 365)) * 86400.0;
        if (index % 5000 == 0) node->sizeOnDisk = 40'000'000 + (index % 60) * 1'000'000;
    });
}

// Scans PATH with the state object, then measures the age report of the root as the age map gets
// it: asked for on the window thread, computed on a pool thread, stored back on the window thread
// (arrive_ms: from the request until it is stored; request_ms: what the request costs the window
// thread). Then the age map's first frame once the report is stored, at a wide and a narrow size.
int runAgeMap(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int runs = std::stoi(bench::takeOption(args, "--runs", "7"));
    const auto aged = std::find(args.begin(), args.end(), "--aged");
    const bool ageFiles = aged != args.end();
    if (ageFiles) args.erase(aged);
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: brenwick-bench agemap PATH [--aged] [--runs N]\n");
        return 2;
    }
    // The scan would record itself among the user's recent folders: settings go to a folder of our own.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", settings.filePath("data").toUtf8());
    bench::ViewApplication app;

    ScanViewModel viewModel;
    viewModel.scan(args[0]);
    while (viewModel.status().kind != ScanViewModel::Status::Kind::done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    FileNode* root = viewModel.root();
    if (ageFiles) age(root);

    std::vector<double> arrivals, requests;
    for (int run = 0; run < runs; ++run) {
        viewModel.reports().reset();
        // Let the previous report and tree references go before timing.
        QThread::msleep(100);
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        viewModel.requestAgeReport(root);
        requests.push_back(msSince(start));
        while (!viewModel.reports().ageReport(root))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        arrivals.push_back(msSince(start));
    }
    const AgeReport& report = *viewModel.reports().ageReport(root);

    auto frame = [&](QSize size) {
        QImage screen(size, QImage::Format_ARGB32_Premultiplied);
        const auto start = Clock::now();
        AgeMapView view(viewModel, root);
        view.resize(size);
        view.render(&screen);
        return msSince(start);
    };
    const QSize wide(1340, 900), narrow(958, 900);
    const double coldMs = frame(wide);
    std::vector<double> wideMs, narrowMs;
    for (int i = 0; i < 5; ++i) {
        wideMs.push_back(frame(wide));
        narrowMs.push_back(frame(narrow));
    }
    std::printf("files=%lld years=%zu untouched=%zu shown=%zu request_ms=%.3f arrive_ms_median=%.1f "
                "arrive_ms_max=%.1f cold_frame_ms=%.2f wide_frame_ms=%.2f narrow_frame_ms=%.2f\n",
                (long long)root->fileCount(), report.months.size(), report.untouched.size(),
                std::min(report.untouched.size(), UntouchedCard::kShownLimit), median(requests),
                median(arrivals), *std::max_element(arrivals.begin(), arrivals.end()), coldMs, median(wideMs),
                median(narrowMs));
    return 0;
}

const BenchCommand ageMapCommand{"agemap", "agemap PATH [--aged] [--runs N]", runAgeMap};

} // namespace
