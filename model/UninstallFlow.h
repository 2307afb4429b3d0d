#pragma once

#include "model/UninstallJob.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CleanupQueue;
namespace AppUninstaller {
struct InstalledApp;
}
namespace platform {
class ProcessController;
class TrashBackend;
} // namespace platform

// Uninstalls applications: quits an application's running instances (politely, then by force after
// at most 50 waits of 0.1 s), moves the AppImage and its leftovers to the Trash, takes what went out of
// the cleanup queue and hands it to `apply` (the state object's edit of its tree and lists).
//
// Threads: main thread only. The waits and the move are one UninstallJob on Qt's global pool, so the
// window never waits, and an uninstall confirmed before the quit completes at the quit. Several
// applications may be uninstalled at once; each is marked in uninstalling() from its start until its
// `finished` runs, independently of the others. Brenwick never signals itself.
class UninstallFlow : public QObject {
    Q_OBJECT
  public:
    // Blocks the job's pool thread between two checks that the instances have quit.
    using Wait = UninstallJob::Wait;
    using Apply = std::function<void(const std::vector<std::string>& done)>;
    using Finished = std::function<void(std::vector<std::string> failed)>;

    // A null `wait` sleeps; a null `trash` is the real Trash.
    UninstallFlow(std::shared_ptr<platform::ProcessController> processes,
                  std::shared_ptr<platform::TrashBackend> trash, Wait wait, CleanupQueue& queue, Apply apply,
                  QObject* parent = nullptr);
    ~UninstallFlow() override;

    // The AppImage paths being uninstalled now, in path order.
    std::vector<std::string> uninstalling() const;
    bool isUninstalling(const std::string& bundlePath) const;

    // Starts the flow for `app`; `finished` gets the paths that could not be moved to the Trash.
    void uninstall(const AppUninstaller::InstalledApp& app, Finished finished);

  signals:
    void uninstallingChanged();

  private:
    void mark(const std::string& bundlePath, int delta);

    std::shared_ptr<platform::ProcessController> processes_;
    std::shared_ptr<platform::TrashBackend> trash_;
    Wait wait_;
    CleanupQueue& queue_;
    Apply apply_;
    std::map<std::string, int> running_; // AppImage path to its flows under way
};
