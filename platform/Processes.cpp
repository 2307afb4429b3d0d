#include "platform/Processes.h"

#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/ProcFiles.h"

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

std::string readLink(const std::string& path) {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// The real uid from /proc/PID/status, or -1.
long realUid(const std::string& procDir) {
    auto status = readTextFile(procDir + "/status", 64 * 1024);
    if (!status) return -1;
    size_t pos = status->find("\nUid:");
    if (pos == std::string::npos) return -1;
    return std::strtol(status->c_str() + pos + 5, nullptr, 10);
}

// The APPIMAGE variable of a process's environment, or empty.
std::string appImageVariable(const std::string& procDir) {
    auto environ = readTextFile(procDir + "/environ", kProcTextLimit);
    if (!environ) return {};
    std::string_view all(*environ);
    constexpr std::string_view key = "APPIMAGE=";
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\0', pos);
        if (end == std::string_view::npos) end = all.size();
        std::string_view var = all.substr(pos, end - pos);
        if (var.substr(0, key.size()) == key) return std::string(var.substr(key.size()));
        pos = end + 1;
    }
    return {};
}

bool isSelfOrSpecial(int pid) {
    return pid <= 1 || pid == ::getpid();
}

} // namespace

SystemProcesses::SystemProcesses(std::string procRoot) : procRoot_(std::move(procRoot)) {}

std::vector<ProcessInstance> SystemProcesses::runningInstances(const std::string& appImagePath) {
    std::vector<ProcessInstance> found;
    if (appImagePath.empty()) return found;
    std::string canonical = resolvedPath(appImagePath);
    auto names = [&](const std::string& candidate) {
        return !candidate.empty() && (candidate == appImagePath || candidate == canonical ||
                                      (!canonical.empty() && resolvedPath(candidate) == canonical));
    };
    const long uid = static_cast<long>(::getuid());
    for (int pid : listPids(procRoot_)) {
        if (isSelfOrSpecial(pid)) continue;
        std::string dir = procRoot_ + "/" + std::to_string(pid);
        if (realUid(dir) != uid) continue;
        std::string exe = readLink(dir + "/exe");
        if (!(exe == appImagePath || (!canonical.empty() && exe == canonical)) &&
            !names(appImageVariable(dir)))
            continue;
        auto st = readProcStat(procRoot_, pid);
        if (!st || st->state == 'Z' || st->state == 'X') continue;
        found.push_back({pid, st->startTime});
    }
    return found;
}

bool SystemProcesses::isTerminated(const ProcessInstance& process) {
    auto st = readProcStat(procRoot_, process.pid);
    return !st || st->startTime != process.startTime || st->state == 'Z' || st->state == 'X';
}

void SystemProcesses::terminate(const ProcessInstance& process) {
    sendSignal(process, SIGTERM);
}

void SystemProcesses::forceTerminate(const ProcessInstance& process) {
    sendSignal(process, SIGKILL);
}

void SystemProcesses::sendSignal(const ProcessInstance& process, int signal) {
    // Never ourselves, never a process group (pid 0 or negative), never init; and only the very
    // process that was found, not a later one that got its pid.
    if (isSelfOrSpecial(process.pid) || isTerminated(process)) return;
    ::kill(process.pid, signal);
}

} // namespace platform
