#include "shell/OffThreadPaint.h"

#include <QSemaphore>
#include <QThreadPool>

void paintOffThread(const std::function<void()>& paint) {
    QSemaphore done;
    // Never queued behind long background work: only an idle thread will do.
    const bool started = QThreadPool::globalInstance()->tryStart([&] {
        paint();
        done.release();
    });
    if (started) done.acquire();
    else paint();
}
