#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An application object for queued results, and HOME and XDG folders of our own, set before anything
// reads them: tests never touch the real user's settings or data.
struct UserFoldersEnvironment : ::testing::Environment {
    void SetUp() override {
        folders = std::make_unique<ScopedUserFolders>(home.str());
        static int argc = 1;
        static char name[] = "model_tests";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    TempDir home;
    std::unique_ptr<ScopedUserFolders> folders;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new UserFoldersEnvironment);

} // namespace
