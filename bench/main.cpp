#include "bench/BenchCommand.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc >= 2) {
        std::string_view name = argv[1];
        for (const BenchCommand* command : BenchCommand::all())
            if (command->name == name) return command->run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "usage: brenwick-bench COMMAND ...\ncommands:\n");
    for (const BenchCommand* command : BenchCommand::all())
        std::fprintf(stderr, "  %.*s\n", static_cast<int>(command->usage.size()), command->usage.data());
    return 2;
}
