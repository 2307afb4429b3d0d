#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// Stands in for the uninstall's waits, which block a pool thread: each is counted, and while held it
// blocks until release(), so a test decides when a quitting application is given up on. Released when
// it goes, so no job is left waiting.
class HeldWaits {
  public:
    explicit HeldWaits(bool held = true) { state_->held = held; }
    ~HeldWaits() { release(); }
    HeldWaits(const HeldWaits&) = delete;
    HeldWaits& operator=(const HeldWaits&) = delete;

    // The wait to hand over; it keeps what it uses alive for a job that outlives the test's objects.
    std::function<void(int)> wait() const {
        return [state = state_](int) {
            std::unique_lock lock(state->mutex);
            ++state->count;
            state->changed.wait(lock, [&] { return !state->held; });
        };
    }
    void release() {
        std::lock_guard lock(state_->mutex);
        state_->held = false;
        state_->changed.notify_all();
    }
    int count() const {
        std::lock_guard lock(state_->mutex);
        return state_->count;
    }
    void resetCount() {
        std::lock_guard lock(state_->mutex);
        state_->count = 0;
    }

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool held = true;
        int count = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
