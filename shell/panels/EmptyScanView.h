#pragma once

#include "shell/controls/EmptyState.h"

class InkButton;
class OutlineButton;
class ScanViewModel;

// The start screen before any scan: a drive icon, a title, a line of text and the two ways to begin,
// "Scan Home" and "Choose Folder…".
class EmptyScanView : public EmptyState {
    Q_OBJECT
  public:
    explicit EmptyScanView(ScanViewModel& viewModel, QWidget* parent = nullptr);

    InkButton* scanHomeButton() const { return scanHome_; }
    OutlineButton* chooseFolderButton() const { return chooseFolder_; }

  private:
    InkButton* scanHome_;
    OutlineButton* chooseFolder_;
};
