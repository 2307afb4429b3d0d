#pragma once

#include "shell/panels/TitleLine.h"

#include <QPointer>
#include <QWidget>

class FileNode;
class ModeBar;
class ScanViewModel;
class ScanningView;
class SquareIconButton;
class UnreadableFoldersNotice;

// The Explore tab: the start screen before a scan (or when a finished scan has no current folder),
// the scanning screen while one runs, else the explorer of the current folder: its title row, the
// mode bar, the unreadable-folders notice while it is on, a divider, and the visualisation of the
// selected mode, which is built anew whenever the mode changes and is handed each new current folder.
class ExploreView : public QWidget {
    Q_OBJECT
  public:
    enum class Screen { start, scanning, explorer };

    explicit ExploreView(ScanViewModel& viewModel, QWidget* parent = nullptr);

    Screen screen() const { return screen_; }
    QWidget* screenWidget() const { return screenWidget_; }
    ScanningView* scanningView() const;
    ModeBar* modeBar() const { return modeBar_; }
    QWidget* titleRow() const { return titleRow_; }
    // The title row's texts as drawn at its width (empty without the explorer).
    TitleLine titleLine() const;
    SquareIconButton* revealButton() const { return reveal_; }
    UnreadableFoldersNotice* notice() const;
    // The visualisation shown (the registered view, or the placeholder with the mode's title).
    QWidget* visualization() const;

    // "   ·   12 files   ·   3 folders"
    static QString countsText(const FileNode& folder);

  private:
    Screen wantedScreen() const;
    void updateScreen();
    void buildExplorer();
    void updateNotice();
    void showFolder();
    void buildVisualization();

    ScanViewModel& viewModel_;
    Screen screen_ = Screen::start;
    QWidget* screenWidget_ = nullptr;
    QWidget* header_ = nullptr;
    QWidget* titleRow_ = nullptr;
    SquareIconButton* reveal_ = nullptr;
    ModeBar* modeBar_ = nullptr;
    QPointer<UnreadableFoldersNotice> notice_;
    QWidget* vizArea_ = nullptr;
    QPointer<QWidget> visualization_;
    FileNode* shownFolder_ = nullptr;
};
