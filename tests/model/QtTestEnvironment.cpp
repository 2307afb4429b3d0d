#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The state objects need an event loop for their queued results, and must never touch the real
// user's settings or data: every test process gets its own HOME and XDG folders, set before anything
// reads them (QSettings remembers its folder for the life of the process).
class UserFoldersEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TempDir>();
        folders_ = std::make_unique<ScopedUserFolders>(home_->str());
        static int argc = 1;
        static char name[] = "model_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication* app = new QCoreApplication(argc, argv);
        (void)app;
    }

private:
    std::unique_ptr<TempDir> home_;
    std::unique_ptr<ScopedUserFolders> folders_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new UserFoldersEnvironment);

} // namespace
