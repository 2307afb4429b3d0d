#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (what a session's end, a closed terminal or Ctrl+C send) quit the
// application as closing its window does, so that what the user confirmed (a move to the Trash, an
// uninstall) completes and the status is 0. A second one ends the process at once, by its default action.
// A signal that was ignored when the application started (nohup) stays ignored.
//
// Threads: install() runs first thing in main, before any other thread starts. Whichever thread takes a
// signal, its handler only writes a byte to a pipe (async-signal-safe) and interrupted system calls are
// restarted (SA_RESTART); the main thread reads the pipe through a QSocketNotifier. A signal that comes
// before the QuitSignals object exists waits in the pipe and quits once the event loop runs.
class QuitSignals : public QObject {
    Q_OBJECT
  public:
    static void install();

    // Main thread, after the application object: `quit` runs from the event loop on the first signal.
    explicit QuitSignals(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitSignals() override;

  private:
    std::function<void()> quit_;
    QSocketNotifier* notifier_ = nullptr;
};
