#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The processes this process started that are still there: running, or ended and not yet reaped (a
// zombie).
inline std::vector<pid_t> childProcesses() {
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::stringstream stat;
        stat << in.rdbuf();
        const std::string text = stat.str();
        const size_t command = text.rfind(')'); // the command's name may hold anything
        if (command == std::string::npos) continue;
        std::istringstream fields(text.substr(command + 1));
        std::string state;
        long parent = 0;
        fields >> state >> parent;
        if (parent == long(::getpid())) children.push_back(pid_t(std::atol(name.c_str())));
    }
    return children;
}

// The state of process `pid` as /proc gives it ('R', 'S', 'Z' for a zombie...), '\0' once it is gone.
inline char processState(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::stringstream stat;
    stat << in.rdbuf();
    const std::string text = stat.str();
    const size_t command = text.rfind(')');
    return command == std::string::npos || command + 2 >= text.size() ? '\0' : text[command + 2];
}
