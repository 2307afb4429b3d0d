#pragma once

#include "platform/Trash.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// A Trash that records every call, refuses the paths it is told to and takes the others away for real,
// so existence checks see them gone. Configure before use; the attempts run on pool threads.
class FakeTrash : public platform::TrashBackend {
  public:
    std::set<std::string> refuseFirst, refuseSecond;
    bool hold = false; // the first attempt waits until release()

    bool moveToTrash(const std::string& path) override {
        std::unique_lock lock(mutex_);
        firstCalls_.push_back(path);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !hold; });
        return !refuseFirst.count(path) && takeAway(path);
    }
    void secondAttempt(const std::string& path) override {
        std::lock_guard lock(mutex_);
        secondCalls_.push_back(path);
        if (!refuseSecond.count(path)) takeAway(path);
    }
    // Refused by both attempts: the item stays.
    void refuse(const std::string& path) {
        std::lock_guard lock(mutex_);
        refuseFirst.insert(path);
        refuseSecond.insert(path);
    }
    void waitUntilEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return entered_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        hold = false;
        changed_.notify_all();
    }
    // The paths of every first (or second) attempt so far.
    std::vector<std::string> calls(bool second = false) const {
        std::lock_guard lock(mutex_);
        return second ? secondCalls_ : firstCalls_;
    }

  private:
    static bool takeAway(const std::string& path) {
        std::error_code ec;
        return std::filesystem::remove_all(path, ec) > 0 && !ec;
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    std::vector<std::string> firstCalls_, secondCalls_;
};
