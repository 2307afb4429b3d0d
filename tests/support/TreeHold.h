#pragma once

#include "model/ScanTree.h"

#include <future>
#include <memory>
#include <mutex>
#include <thread>

// Holds a tree's lock exclusively from a thread of its own, as an edit does, so that background
// readers of the tree wait until release(); then lets go of the tree too. Constructed, it holds.
class TreeHold {
  public:
    explicit TreeHold(std::shared_ptr<ScanTree> tree) {
        std::promise<void> held;
        std::future<void> holding = held.get_future();
        thread_ =
            std::thread([tree = std::move(tree), held = std::move(held), go = go_.get_future()]() mutable {
                std::unique_lock lock(tree->mutex());
                held.set_value();
                go.wait();
                lock.unlock();
                tree.reset();
            });
        holding.wait();
    }
    ~TreeHold() { release(); }
    TreeHold(const TreeHold&) = delete;
    TreeHold& operator=(const TreeHold&) = delete;

    // Returns once the tree is unlocked and let go of.
    void release() {
        if (!thread_.joinable()) return;
        go_.set_value();
        thread_.join();
    }

  private:
    std::promise<void> go_;
    std::thread thread_;
};
