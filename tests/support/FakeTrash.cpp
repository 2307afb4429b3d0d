#include "tests/support/FakeTrash.h"

#include <filesystem>

namespace {
bool takeAway(const std::string& path) {
    std::error_code ec;
    return std::filesystem::remove_all(path, ec) > 0 && !ec;
}
} // namespace

bool FakeTrash::moveToTrash(const std::string& path) {
    std::unique_lock lock(mutex_);
    firstCalls_.push_back(path);
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !hold; });
    return !refuseFirst.count(path) && takeAway(path);
}

void FakeTrash::secondAttempt(const std::string& path) {
    std::lock_guard lock(mutex_);
    secondCalls_.push_back(path);
    if (!refuseSecond.count(path)) takeAway(path);
}

void FakeTrash::refuse(const std::string& path) {
    std::lock_guard lock(mutex_);
    refuseFirst.insert(path);
    refuseSecond.insert(path);
}

void FakeTrash::waitUntilEntered() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return entered_; });
}

void FakeTrash::release() {
    std::lock_guard lock(mutex_);
    hold = false;
    changed_.notify_all();
}

std::vector<std::string> FakeTrash::firstCalls() const {
    std::lock_guard lock(mutex_);
    return firstCalls_;
}

std::vector<std::string> FakeTrash::secondCalls() const {
    std::lock_guard lock(mutex_);
    return secondCalls_;
}
