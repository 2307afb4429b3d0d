#pragma once

#include "model/ScanViewModel.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

class FileNode;

// A home folder of real files (documents, media, a project with node_modules, Downloads, a cache),
// with ages from today to years ago, scanned by a state object: the sidebar and inspector show it as a
// user would see it. HOME points at it for the life of the object.
class ScannedHome {
  public:
    ScannedHome();
    ~ScannedHome();

    const std::string& home() const { return home_; }
    ScanViewModel& model() { return *model_; }
    // The node at a path relative to the home folder ("" for the root).
    FileNode* node(const std::string& relative) const;

  private:
    TempDir dir_;
    EnvOverride env_;
    std::string home_;
    std::unique_ptr<ScanViewModel> model_;
};
