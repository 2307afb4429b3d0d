#include "model/UninstallFlow.h"

#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "platform/Processes.h"

#include <QTimer>

#include <unistd.h>

#include <algorithm>

namespace {
constexpr int kTerminatePolls = 50;
constexpr int kTerminatePollMs = 100;
} // namespace

// Everything one uninstall carries from one timer step to the next.
struct UninstallFlow::Run {
    std::string bundlePath;
    std::vector<platform::ProcessInstance> instances;
    std::vector<std::string> paths; // the AppImage, then every leftover group's paths in order
    Finished finished;
    int polls = 0;
};

UninstallFlow::UninstallFlow(std::shared_ptr<platform::ProcessController> processes,
                             std::shared_ptr<platform::TrashBackend> trash, Wait wait, CleanupQueue& queue,
                             Apply apply, QObject* parent)
    : QObject(parent), processes_(std::move(processes)), trash_(std::move(trash)), wait_(std::move(wait)),
      queue_(queue), apply_(std::move(apply)) {
    if (!wait_)
        wait_ = [this](int ms, std::function<void()> then) { QTimer::singleShot(ms, this, std::move(then)); };
}

UninstallFlow::~UninstallFlow() = default;

std::vector<std::string> UninstallFlow::uninstalling() const {
    std::vector<std::string> out;
    for (const auto& [path, count] : running_)
        out.push_back(path);
    return out;
}

bool UninstallFlow::isUninstalling(const std::string& bundlePath) const {
    return running_.count(bundlePath) > 0;
}

void UninstallFlow::mark(const std::string& bundlePath, int delta) {
    const bool was = isUninstalling(bundlePath);
    if ((running_[bundlePath] += delta) <= 0) running_.erase(bundlePath);
    if (was != isUninstalling(bundlePath)) emit uninstallingChanged();
}

void UninstallFlow::uninstall(const AppUninstaller::InstalledApp& app, Finished finished) {
    auto run = std::make_shared<Run>();
    run->bundlePath = app.bundleURL;
    run->finished = std::move(finished);
    run->paths.push_back(app.bundleURL);
    for (const auto& group : app.leftovers)
        run->paths.insert(run->paths.end(), group.urls.begin(), group.urls.end());
    mark(run->bundlePath, +1);

    // Never Brenwick itself, whatever the process list says.
    const int self = static_cast<int>(getpid());
    for (const auto& instance : processes_->runningInstances(app.bundleURL))
        if (instance.pid != self) run->instances.push_back(instance);

    if (run->instances.empty()) {
        moveToTrash(run);
        return;
    }
    for (const auto& instance : run->instances)
        processes_->terminate(instance);
    waitForQuit(run);
}

// One poll of the wait for quitting instances.
void UninstallFlow::waitForQuit(std::shared_ptr<Run> run) {
    const bool anyRunning = std::any_of(run->instances.begin(), run->instances.end(),
                                        [&](const auto& p) { return !processes_->isTerminated(p); });
    if (anyRunning && run->polls < kTerminatePolls) {
        ++run->polls;
        wait_(kTerminatePollMs, [this, run] { waitForQuit(run); });
        return;
    }
    if (anyRunning)
        for (const auto& instance : run->instances)
            if (!processes_->isTerminated(instance)) processes_->forceTerminate(instance);
    moveToTrash(run);
}

void UninstallFlow::moveToTrash(std::shared_ptr<Run> run) {
    CleanupQueue::moveToTrash(
        run->paths, this,
        [this, run](const CleanupQueue::TrashResult& result) {
            for (const auto& path : result.done)
                queue_.remove(path);
            if (apply_) apply_(result.done);
            mark(run->bundlePath, -1);
            if (run->finished) run->finished(result.failed);
        },
        trash_);
}
