#pragma once

#include <string>
#include <string_view>
#include <vector>

// brenwick-bench subcommands. Each lives in its own file and registers itself with a static object:
//
//   static const BenchCommand scan{"scan", "scan PATH [--threads N]", runScan};
//
// main() looks the first argument up among the registered commands and runs it with the rest.
struct BenchCommand {
    using Run = int (*)(const std::vector<std::string>& args);

    BenchCommand(std::string_view name, std::string_view usage, Run run);

    std::string_view name;
    std::string_view usage;
    Run run;

    static const std::vector<const BenchCommand*>& all();
};

// Helpers shared by the commands.
namespace bench {

// Peak resident set size of this process so far, in KiB.
long peakRssKib();
// The value after `flag` in args (removing both), or `fallback`.
std::string takeOption(std::vector<std::string>& args, std::string_view flag, std::string fallback = {});

} // namespace bench
