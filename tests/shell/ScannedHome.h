#pragma once

#include "model/ScanViewModel.h"
#include "shell/style/Theme.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class FileNode;
namespace platform {
class TrashBackend;
}

// A home folder of real files of all kinds and ages, scanned by a state object, as a user would see it.
// HOME points at it for the life of the object.
class ScannedHome {
  public:
    // `trash` stands in for the Trash the cleanup queue moves to (null: the real one).
    explicit ScannedHome(std::shared_ptr<platform::TrashBackend> trash = nullptr);
    ~ScannedHome();

    const std::string& home() const { return home_; }
    ScanViewModel& model() { return *model_; }
    // The node at a path relative to the home folder ("" for the root), and that path in full.
    FileNode* node(const std::string& relative) const;
    std::string path(const std::string& relative) const { return home_ + "/" + relative; }

  private:
    TempDir dir_;
    EnvOverride env_;
    std::string home_;
    std::unique_ptr<ScanViewModel> model_;
};

// A test over a scanned home, in the light theme at its start and its end.
class ScannedHomeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(fixture.model().root(), nullptr);
        ThemeManager::instance().setThemeName(ThemeName::light);
    }
    void TearDown() override { ThemeManager::instance().setThemeName(ThemeName::light); }

    ScanViewModel& vm() { return fixture.model(); }
    ScannedHome fixture;
};
