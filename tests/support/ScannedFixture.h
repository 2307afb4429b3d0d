#pragma once

#include "model/ScanViewModel.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {
class TrashBackend;
}

// A real folder that looks like a small home folder (media, documents, projects, downloads) with
// files of known sizes and modification times spread over every age section, and a state object
// that has scanned it with the real scanner. The views are shown, rendered and driven over it.
class ScannedFixture {
public:
    // `trash` stands in for the Trash the cleanup queue moves to (null: the real one).
    explicit ScannedFixture(std::shared_ptr<platform::TrashBackend> trash = nullptr);
    ~ScannedFixture();

    TempDir dir;
    std::unique_ptr<ScanViewModel> viewModel;

    std::string path(std::string_view relative) const { return dir.str() + "/" + std::string(relative); }
    // The scanned node at a path relative to the folder ("Music/album"), or null.
    FileNode* node(std::string_view relative) const;
    FileNode* root() const { return viewModel->root(); }
};
