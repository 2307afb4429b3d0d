#include "model/UninstallFlow.h"

#include "model/AppUninstaller.h"
#include "model/BackgroundTask.h"
#include "model/CleanupQueue.h"
#include "platform/Processes.h"
#include "platform/Trash.h"

#include <unistd.h>

UninstallFlow::UninstallFlow(std::shared_ptr<platform::ProcessController> processes,
                             std::shared_ptr<platform::TrashBackend> trash, Wait wait, CleanupQueue& queue,
                             Apply apply, QObject* parent)
    : QObject(parent), processes_(std::move(processes)), trash_(std::move(trash)), wait_(std::move(wait)),
      queue_(queue), apply_(std::move(apply)) {
    if (!trash_) trash_ = platform::defaultTrashBackend();
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
    UninstallJob job{processes_, trash_, wait_, {}, {app.bundleURL}};
    for (const auto& group : app.leftovers)
        job.paths.insert(job.paths.end(), group.urls.begin(), group.urls.end());
    mark(app.bundleURL, +1);

    // Never Brenwick itself, whatever the process list says.
    const int self = static_cast<int>(getpid());
    for (const auto& instance : processes_->runningInstances(app.bundleURL))
        if (instance.pid != self) job.instances.push_back(instance);
    for (const auto& instance : job.instances)
        processes_->terminate(instance);

    runInBackground(QThreadPool::globalInstance(), this, std::move(job),
                    [this, bundlePath = app.bundleURL,
                     finished = std::move(finished)](const CleanupQueue::TrashResult& result) {
                        for (const auto& path : result.done)
                            queue_.remove(path);
                        if (apply_) apply_(result.done);
                        mark(bundlePath, -1);
                        if (finished) finished(result.failed);
                    });
}
