#pragma once

#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

// Runs `work` on `pool` and hands its result to `done` on `context`'s thread (queued). When `context`
// is destroyed first, `done` is not called; the work itself still finishes on its pool thread, so it
// must hold everything it uses by value or shared pointer.
template <typename Work, typename Done>
void runInBackground(QThreadPool* pool, QObject* context, Work&& work, Done&& done) {
    using Result = std::invoke_result_t<Work>;
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    future.then(context, [done = std::forward<Done>(done)](Result result) mutable { done(std::move(result)); });
    promise->start();
    pool->start([promise, work = std::forward<Work>(work)]() mutable {
        promise->addResult(work());
        promise->finish();
    });
}
