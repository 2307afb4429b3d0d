#include "model/Parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// Runs that ask for more get them up to the limit, counting the first ones, and all have ended when the
// call returns.
TEST(ParallelTest, GrowingThreadsStopAtTheLimitAndAllEnd) {
    const struct {
        size_t threads, limit;
        bool asks;
        int expectedRuns;
    } cases[] = {{4, 4, false, 4}, {2, 9, false, 2}, {2, 9, true, 9}, {1, 1, true, 1}, {3, 64, true, 64}};
    for (const auto& c : cases) {
        std::atomic<int> started = 0, ended = 0, refused = 0;
        runOnGrowingThreads(c.threads, c.limit, [&](const std::function<bool()>& grow) {
            ++started;
            // Each run asks until it is refused, while the calling thread's own run waits for the others
            // to have started, so that none is refused only because the call was ending.
            while (c.asks && grow()) {
            }
            if (c.asks) ++refused;
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (c.asks && started.load() < c.expectedRuns && std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
            ++ended;
        });
        EXPECT_EQ(started.load(), c.expectedRuns) << c.threads << " " << c.limit;
        EXPECT_EQ(ended.load(), started.load());
        EXPECT_EQ(refused.load(), c.asks ? c.expectedRuns : 0);
    }
}
