#include "bench/BenchCommand.h"
#include "bench/ScannedFolder.h"
#include "platform/AppIconProvider.h"
#include "platform/PreviewContent.h"
#include "platform/pictures/PictureDecoder.h"

#include <QBuffer>
#include <QFile>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The picture workers' peak resident set and their processor seconds, once they have been reaped.
void printWorkers() {
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    const auto seconds = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    std::printf(" worker_peak_rss_kib=%ld worker_cpu_seconds=%.3f\n", children.ru_maxrss,
                seconds(children.ru_utime) + seconds(children.ru_stime));
}

// Reads PATH as the preview does (or, with --icon, as an application's icon) through a picture worker,
// or with --in-process as the application did before, in this process; prints the page, the seconds and
// the peak memory of this process and of the workers. With --stop-after MS the read is asked to stop after
// MS milliseconds (ending the worker), and the seconds from that request to the return are printed too.
// With --repeat N it reads N times (a worker each; the seconds are the mean).
int runPicture(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int stopAfter = std::stoi(bench::takeOption(args, "--stop-after", "-1"));
    const int repeat = std::max(1, std::stoi(bench::takeOption(args, "--repeat", "1")));
    bool icon = false, inProcess = false;
    std::erase_if(args, [&](const std::string& a) {
        if (a == "--icon") return icon = true;
        if (a == "--in-process") return inProcess = true;
        return false;
    });
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: brenwick-bench picture PATH [--stop-after MS] [--icon] [--in-process] "
                             "[--repeat N]\n");
        return 2;
    }
    bench::ViewApplication app;
    const long baseRss = bench::peakRssKib();
    const auto start = Clock::now();
    if (icon) {
        platform::DesktopIconProvider provider;
        QImage image;
        for (int i = 0; i < repeat; ++i) {
            if (!inProcess) {
                image = provider.image(args[0]);
                continue;
            }
            QFile file(QString::fromStdString(args[0]));
            file.open(QIODevice::ReadOnly);
            QByteArray bytes = file.read(platform::DesktopIconProvider::kFileLimit);
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            image = platform::decodePicture(buffer, {.longestSide = platform::DesktopIconProvider::kLargest,
                                                     .bounds = platform::DesktopIconProvider::kPictureBounds,
                                                     .svgBudget = platform::DesktopIconProvider::kSvgBudget});
        }
        const double seconds = secondsSince(start) / repeat;
        provider.endWorkers();
        std::printf("found=%d width=%d height=%d seconds=%.4f peak_rss_kib=%ld base_rss_kib=%ld",
                    !image.isNull(), image.width(), image.height(), seconds, bench::peakRssKib(), baseRss);
        printWorkers();
        return 0;
    }
    platform::PreviewFile file(args[0]);
    const double judged = secondsSince(start);
    double afterStop = 0;
    QImage picture;
    for (int i = 0; i < repeat; ++i) {
        std::stop_source stop;
        auto image = std::async(std::launch::async, [&] {
            if (file.page() != platform::PreviewPage::image) return QImage();
            if (!inProcess) return file.readImage(platform::PreviewContent::kImageLimit, stop.get_token());
            QFile own(QString::fromStdString(args[0]));
            own.open(QIODevice::ReadOnly);
            return platform::decodePicture(own,
                                           {.longestSide = platform::PreviewContent::kImageLimit,
                                            .bounds = platform::PreviewFile::kPictureBounds},
                                           stop.get_token());
        });
        if (stopAfter >= 0 &&
            image.wait_for(std::chrono::milliseconds(stopAfter)) != std::future_status::ready) {
            const auto asked = Clock::now();
            stop.request_stop();
            image.wait();
            afterStop = secondsSince(asked);
        }
        picture = image.get();
    }
    std::printf("page=%d width=%d height=%d judge_seconds=%.4f seconds=%.4f stop_seconds=%.4f "
                "peak_rss_kib=%ld base_rss_kib=%ld",
                int(file.page()), picture.width(), picture.height(), judged, secondsSince(start) / repeat,
                afterStop, bench::peakRssKib(), baseRss);
    printWorkers();
    return 0;
}

const BenchCommand pictureCommand{
    "picture", "picture PATH [--stop-after MS] [--icon] [--in-process] [--repeat N]", runPicture};

} // namespace
