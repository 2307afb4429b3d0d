#pragma once

#include "platform/Trash.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// A Trash that records every call, refuses the paths it is told to, and takes the others away for real
// (so existence checks see them gone). It can hold the first attempt until the test releases it.
// Configure before use; the attempts run on pool threads.
class FakeTrash : public platform::TrashBackend {
public:
    std::set<std::string> refuseFirst, refuseSecond;
    bool hold = false;

    bool moveToTrash(const std::string& path) override;
    void secondAttempt(const std::string& path) override;

    // Refused by both attempts: the item stays.
    void refuse(const std::string& path);
    void waitUntilEntered();
    void release();
    std::vector<std::string> firstCalls() const;
    std::vector<std::string> secondCalls() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    std::vector<std::string> firstCalls_, secondCalls_;
};
