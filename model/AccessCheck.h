#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QThreadPool;

// Tells whether access to folders a scan could not read has changed: coming back to the window is
// worth a rescan only when one of them opens now. A scan of "/" by a normal user nearly always meets
// such folders, and redoing the whole walk on every return would lose the user's place for nothing.
//
// Threads: main thread. The folders are tried on the pool (an open may wait on a network mount);
// the answer comes back through the event loop.
class AccessCheck : public QObject {
    Q_OBJECT

  public:
    // Whether the folder at this absolute path opens for reading now. Runs on a pool thread.
    using Probe = std::function<bool(const std::string& folder)>;

    // A null `probe` opens the folder on the real file system.
    AccessCheck(QThreadPool& pool, Probe probe, QObject* parent = nullptr);

    // Tries `folders` one after another and calls `opened` (on this object's thread) when one of them
    // opens. Asked while a check runs, it does nothing: that check answers for this return as well.
    void check(std::vector<std::string> folders, std::function<void()> opened);
    bool checking() const { return checking_; }

    // The real probe: opens the folder as the scanner does, whatever the path's length, and closes it.
    static bool folderOpens(const std::string& folder);

  private:
    QThreadPool& pool_;
    Probe probe_;
    bool checking_ = false;
};
