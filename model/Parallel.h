#pragma once

#include <cstddef>
#include <functional>
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
