#pragma once

#include "model/CleanupQueue.h"
#include "platform/Processes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class TrashBackend;
}

// The slow part of one uninstall, as one blocking job for a pool thread: waits for the application's
// instances, already asked to quit, to end (up to kPolls waits of kPollMs, then SIGKILL for those left),
// then moves its paths to the Trash. It holds everything it uses, so a job under way when the window
// closes still completes: it runs on Qt's global pool, which the application object waits for as it goes.
struct UninstallJob {
    static constexpr int kPolls = 50;
    static constexpr int kPollMs = 100;
    // Blocks the calling thread for `milliseconds`.
    using Wait = std::function<void(int milliseconds)>;

    std::shared_ptr<platform::ProcessController> processes;
    std::shared_ptr<platform::TrashBackend> trash;
    Wait wait; // null: sleeps
    std::vector<platform::ProcessInstance> instances;
    std::vector<std::string> paths;

    CleanupQueue::TrashResult operator()() const;
};
