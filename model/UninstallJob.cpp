#include "model/UninstallJob.h"

#include "platform/Trash.h"

#include <algorithm>
#include <chrono>
#include <thread>

CleanupQueue::TrashResult UninstallJob::operator()() const {
    auto anyRunning = [this] {
        return std::any_of(instances.begin(), instances.end(),
                           [&](const auto& p) { return !processes->isTerminated(p); });
    };
    bool running = anyRunning();
    for (int polls = 0; running && polls < kPolls; ++polls) {
        if (wait)
            wait(kPollMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        running = anyRunning();
    }
    if (running)
        for (const auto& instance : instances)
            if (!processes->isTerminated(instance)) processes->forceTerminate(instance);
    return CleanupQueue::moveToTrashBlocking(paths, *trash);
}
