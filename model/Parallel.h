#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// Runs `work` on up to `threads` threads at once, the calling thread being one of them, and returns
// when every run has ended. When the system refuses a thread, fewer run; `work` therefore takes its
// share of the job from a shared counter rather than from its thread's number.
template <typename Work> void runOnThreads(size_t threads, Work&& work) {
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(std::ref(work));
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (auto& helper : helpers)
        helper.join();
}

// Like runOnThreads, for work that may wait on the disk: each run is handed a `grow` function that starts
// one more run of `work`, up to `limit` runs in all, and answers whether it did. A worker that keeps
// waiting on reads calls it, so that more requests are in flight while the disk is slow, and none are
// started when everything is cached. Runs started once the calling thread's own run has ended would find
// nothing left to do and are not started.
template <typename Work> void runOnGrowingThreads(size_t threads, size_t limit, Work&& work) {
    std::mutex lock;
    std::vector<std::thread> helpers;
    size_t running = 1; // the calling thread
    bool over = false;
    std::function<bool()> grow = [&] {
        std::lock_guard guard(lock);
        if (over || running >= limit) return false;
        try {
            helpers.emplace_back([&] { work(grow); });
        } catch (const std::system_error&) {
            limit = running; // the system has no more threads to give
            return false;
        }
        ++running;
        return true;
    };
    for (size_t t = 1; t < threads && grow();)
        ++t;
    work(grow);
    {
        std::lock_guard guard(lock);
        over = true;
    }
    for (auto& helper : helpers)
        helper.join();
}
