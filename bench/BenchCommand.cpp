#include "bench/BenchCommand.h"

#include <sys/resource.h>

#include <algorithm>

namespace {

std::vector<const BenchCommand*>& registry() {
    static std::vector<const BenchCommand*> commands;
    return commands;
}

} // namespace

BenchCommand::BenchCommand(std::string_view name, std::string_view usage, Run run)
    : name(name), usage(usage), run(run) {
    registry().push_back(this);
}

const std::vector<const BenchCommand*>& BenchCommand::all() {
    auto& commands = registry();
    std::sort(commands.begin(), commands.end(), [](auto* a, auto* b) { return a->name < b->name; });
    return commands;
}

namespace bench {

long peakRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

std::string takeOption(std::vector<std::string>& args, std::string_view flag, std::string fallback) {
    auto it = std::find(args.begin(), args.end(), flag);
    if (it == args.end() || it + 1 == args.end()) return fallback;
    std::string value = *(it + 1);
    args.erase(it, it + 2);
    return value;
}

} // namespace bench
