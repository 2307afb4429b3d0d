#include "shell/OffThreadPaint.h"

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

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

void paintInParallel(int count, const std::function<void(int part)>& part) {
    if (count <= 0) return;
    std::atomic<int> next = 0;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) part(i);
    };
    // Helpers start only on idle threads and take parts as they come free, so a busy pool costs a
    // failed try, never a wait: this thread does whatever nobody else took.
    QSemaphore done;
    int helpers = 0;
    QThreadPool* pool = QThreadPool::globalInstance();
    for (int i = 1; i < count && i < pool->maxThreadCount(); ++i) {
        if (!pool->tryStart([&] {
                work();
                done.release();
            }))
            break;
        ++helpers;
    }
    work();
    done.acquire(helpers);
}

void paintRowsInParallel(int top, int bottom, int band, const std::function<void(int from, int to)>& rows) {
    if (bottom <= top) return;
    const int bands = (bottom - top + band - 1) / band;
    const int runs = std::min(bands, 3 * std::max(1, QThreadPool::globalInstance()->maxThreadCount()));
    const int bandsPerRun = (bands + runs - 1) / runs;
    paintInParallel((bands + bandsPerRun - 1) / bandsPerRun, [&](int run) {
        const int from = top + run * bandsPerRun * band;
        rows(from, std::min(bottom, from + bandsPerRun * band));
    });
}
