#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An application object for queued results, and HOME and XDG folders of our own, set before anything
// reads them: tests never touch the real user's settings or data.
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
