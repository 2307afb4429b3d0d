#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>

#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

// Runs `work` on `pool` and hands its result to `done` on `context`'s thread (queued). When `context`
// is destroyed first, `done` is not called; the work itself still finishes on its pool thread, so it
// must hold everything it uses by value or shared pointer.
//
// The context's destruction is watched under a mutex that the worker also holds while it posts, so
// the result is either posted before the context starts dying (and then discarded with its pending
// events) or not posted at all.
template <typename Work, typename Done>
void runInBackground(QThreadPool* pool, QObject* context, Work work, Done done) {
    using Result = std::invoke_result_t<Work&>;
    struct Link {
        std::mutex mutex;
        QObject* context = nullptr;
        QMetaObject::Connection watch;
    };
    auto link = std::make_shared<Link>();
    link->context = context;
    link->watch = QObject::connect(context, &QObject::destroyed, [link] {
        std::lock_guard lock(link->mutex);
        link->context = nullptr;
    });
    auto finish = std::make_shared<Done>(std::move(done));
    auto job = std::make_shared<Work>(std::move(work));
    pool->start([link, finish, job] {
        auto result = std::make_shared<Result>((*job)());
        std::lock_guard lock(link->mutex);
        if (!link->context) return;
        QMetaObject::invokeMethod(
            link->context,
            [link, finish, result] {
                QObject::disconnect(link->watch);
                (*finish)(std::move(*result));
            },
            Qt::QueuedConnection);
    });
}

// Lets the last references to old trees and their derived data go on a pool thread: freeing millions
// of nodes must not stall the window.
template <typename T> void releaseInBackground(QThreadPool& pool, T&& value) {
    auto holder = std::make_shared<std::decay_t<T>>(std::forward<T>(value));
    pool.start([holder]() mutable { holder.reset(); });
}
