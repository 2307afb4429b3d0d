#include "bench/BenchCommand.h"
#include "bench/ScannedFolder.h"
#include "platform/AppIconProvider.h"
#include "platform/PreviewContent.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

namespace {

// Reads PATH as the preview does (or, with --icon, as an application's icon) and prints the page, the
// seconds and the peak memory. With --stop-after MS the preview's SVG drawing is asked to stop after MS
// milliseconds, and the seconds from that request to the return are printed too.
int runPicture(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int stopAfter = std::stoi(bench::takeOption(args, "--stop-after", "-1"));
    const bool icon = !args.empty() && args.back() == "--icon";
    if (icon) args.pop_back();
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: brenwick-bench picture PATH [--stop-after MS] [--icon]\n");
        return 2;
    }
    bench::ViewApplication app;
    using Clock = std::chrono::steady_clock;
    const long baseRss = bench::peakRssKib();
    const auto start = Clock::now();
    auto seconds = [](Clock::time_point from) {
        return std::chrono::duration<double>(Clock::now() - from).count();
    };
    if (icon) {
        platform::DesktopIconProvider provider;
        const QImage image = provider.image(args[0]);
        std::printf("found=%d width=%d height=%d seconds=%.4f peak_rss_kib=%ld base_rss_kib=%ld\n",
                    !image.isNull(), image.width(), image.height(), seconds(start), bench::peakRssKib(),
                    baseRss);
        return 0;
    }
    platform::PreviewFile file(args[0]);
    const double judged = seconds(start);
    std::stop_source stop;
    auto image = std::async(std::launch::async, [&] {
        return file.page() == platform::PreviewPage::image
                   ? file.readImage(platform::PreviewContent::kImageLimit, stop.get_token())
                   : QImage();
    });
    double afterStop = 0;
    if (stopAfter >= 0 && image.wait_for(std::chrono::milliseconds(stopAfter)) != std::future_status::ready) {
        const auto asked = Clock::now();
        stop.request_stop();
        image.wait();
        afterStop = seconds(asked);
    }
    const QImage picture = image.get();
    std::printf("page=%d width=%d height=%d judge_seconds=%.4f seconds=%.4f stop_seconds=%.4f "
                "peak_rss_kib=%ld base_rss_kib=%ld\n",
                int(file.page()), picture.width(), picture.height(), judged, seconds(start), afterStop,
                bench::peakRssKib(), baseRss);
    return 0;
}

const BenchCommand pictureCommand{"picture", "picture PATH [--stop-after MS] [--icon]", runPicture};

} // namespace
