#include "bench/ScannedFolder.h"

#include "bench/BenchCommand.h"
#include "model/DiskScanner.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"

#include <algorithm>
#include <cstdio>

namespace bench {

ViewArguments::ViewArguments(std::vector<std::string> args, const char* command) {
    relative = takeOption(args, "--folder");
    width = std::stoi(takeOption(args, "--width", std::to_string(width)));
    height = std::stoi(takeOption(args, "--height", std::to_string(height)));
    if (args.size() == 1)
        path = args[0];
    else
        std::fprintf(stderr, "usage: brenwick-bench %s PATH [--folder RELATIVE] [--width W] [--height H]\n",
                     command);
}

ViewApplication::ViewApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
    fonts::loadEmbedded();
    motion::setAnimationsEnabled(false);
}

ScannedFolder::ScannedFolder(const std::string& path, const std::string& relative) {
    DiskScanner scanner;
    tree = scanner.scan(path);
    if (!relative.empty()) {
        folder = tree->findNode(path + "/" + relative);
        if (!folder) std::fprintf(stderr, "no folder %s below %s\n", relative.c_str(), path.c_str());
        return;
    }
    folder = tree->root();
    tree->root()->forEachNode([&](FileNode* node) {
        if (node->children().size() > folder->children().size()) folder = node;
    });
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bench
