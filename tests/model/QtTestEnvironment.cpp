#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// The state objects need an event loop for their queued results, and must never touch the real
// user's settings or data: every test process gets its own HOME and XDG folders.
class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TempDir>();
        setenv("HOME", home_->str().c_str(), 1);
        setenv("XDG_CONFIG_HOME", home_->makeDir(".config").c_str(), 1);
        setenv("XDG_DATA_HOME", home_->makeDir(".local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", home_->makeDir(".cache").c_str(), 1);
        setenv("XDG_STATE_HOME", home_->makeDir(".local/state").c_str(), 1);
        if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        home_.reset();
    }

private:
    int argc_ = 1;
    char name_[12] = "model_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    std::unique_ptr<TempDir> home_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

} // namespace
