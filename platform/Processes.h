#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A running process, remembered with its start time so that a pid reused by a later process is
// never mistaken for it.
struct ProcessInstance {
    int pid = 0;
    uint64_t startTime = 0; // clock ticks after boot, field 22 of /proc/PID/stat

    friend bool operator==(const ProcessInstance&, const ProcessInstance&) = default;
};

// Finding and ending the running instances of an AppImage. The uninstall flow talks to this
// interface so tests can stand a fake in its place; its waiting job calls it from a pool thread.
class ProcessController {
  public:
    virtual ~ProcessController() = default;

    // The user's own processes (other than Brenwick itself) whose executable is the AppImage at
    // `appImagePath` or whose environment's APPIMAGE names it, in pid order.
    virtual std::vector<ProcessInstance> runningInstances(const std::string& appImagePath) = 0;
    // Asks the process to end (SIGTERM); whether it listens is not reported.
    virtual void terminate(const ProcessInstance& process) = 0;
    // True once the process is gone, has become a zombie, or its pid belongs to another process.
    virtual bool isTerminated(const ProcessInstance& process) = 0;
    // Kills the process (SIGKILL); the outcome is not reported.
    virtual void forceTerminate(const ProcessInstance& process) = 0;
};

// The real processes, read from /proc (or a folder standing in for it).
class SystemProcesses final : public ProcessController {
  public:
    explicit SystemProcesses(std::string procRoot = "/proc");

    std::vector<ProcessInstance> runningInstances(const std::string& appImagePath) override;
    void terminate(const ProcessInstance& process) override;
    bool isTerminated(const ProcessInstance& process) override;
    void forceTerminate(const ProcessInstance& process) override;

  private:
    void sendSignal(const ProcessInstance& process, int signal);

    std::string procRoot_;
};

} // namespace platform
