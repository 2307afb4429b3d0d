#include "tests/support/CoreApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// The state objects need an event loop for their queued results, and must never touch the real
// user's settings or data: every test process gets its own HOME and XDG folders, set before anything
// reads them (QSettings remembers its folder for the life of the process).
class UserFoldersEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TempDir>();
        setenv("HOME", home_->str().c_str(), 1);
        setenv("XDG_CONFIG_HOME", home_->makeDir(".config").c_str(), 1);
        setenv("XDG_DATA_HOME", home_->makeDir(".local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", home_->makeDir(".cache").c_str(), 1);
        setenv("XDG_STATE_HOME", home_->makeDir(".local/state").c_str(), 1);
        ensureCoreApplication();
    }
    void TearDown() override { home_.reset(); }

private:
    std::unique_ptr<TempDir> home_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new UserFoldersEnvironment);

} // namespace
