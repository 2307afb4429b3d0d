#pragma once

#include "platform/Desktop.h"

#include <memory>
#include <string>
#include <vector>

// A desktop that records what it was asked, installed for the life of the object.
class FakeDesktop : public platform::Desktop {
  public:
    std::vector<std::string> revealed, opened, copied;

    void reveal(const std::string& path) override { revealed.push_back(path); }
    void open(const std::string& path) override { opened.push_back(path); }
    void copyPath(const std::string& path) override { copied.push_back(path); }
};

class ScopedFakeDesktop {
  public:
    ScopedFakeDesktop() : fake_(std::make_shared<FakeDesktop>()) { platform::setDesktop(fake_); }
    ~ScopedFakeDesktop() { platform::setDesktop(nullptr); }
    ScopedFakeDesktop(const ScopedFakeDesktop&) = delete;
    ScopedFakeDesktop& operator=(const ScopedFakeDesktop&) = delete;

    FakeDesktop* operator->() const { return fake_.get(); }

  private:
    std::shared_ptr<FakeDesktop> fake_;
};
