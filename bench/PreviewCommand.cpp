#include "bench/BenchCommand.h"
#include "bench/ScannedFolder.h"
#include "platform/PreviewContent.h"

#include <cstdio>

namespace {

const char* pageName(platform::PreviewPage page) {
    switch (page) {
    case platform::PreviewPage::image:
        return "image";
    case platform::PreviewPage::text:
        return "text";
    case platform::PreviewPage::folder:
        return "folder";
    case platform::PreviewPage::info:
        break;
    }
    return "info";
}

// Reads PATH as the preview window does, on this thread, and prints the page it chose, the picture's
// size, the seconds the read took and the peak resident set (KiB).
int runPreview(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        std::fprintf(stderr, "usage: brenwick-bench preview PATH\n");
        return 2;
    }
    bench::ViewApplication app; // the image format plugins
    const auto start = bench::Clock::now();
    const platform::PreviewContent content = platform::loadPreview(arguments[0]);
    const double ms = bench::msSince(start);
    std::printf("page=%s width=%d height=%d seconds=%.3f peak_kib=%ld\n", pageName(content.page),
                content.image.width(), content.image.height(), ms / 1000.0, bench::peakRssKib());
    return 0;
}

const BenchCommand preview{"preview", "preview PATH", runPreview};

} // namespace
