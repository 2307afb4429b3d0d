#pragma once

#include <QWidget>

#include <cstdint>

class ScanViewModel;
class SymbolButton;
class ThemedLabel;

// The banner the Explore header shows while the state object's showAccessNotice is on: how many
// folders could not be read and why, with the sample paths as the tool tip of its text, and a close
// button. Linux has no privacy settings to open, so there is no settings button; the rescan when the
// application becomes active again is the state object's.
class UnreadableFoldersNotice : public QWidget {
    Q_OBJECT
  public:
    explicit UnreadableFoldersNotice(ScanViewModel& viewModel, QWidget* parent = nullptr);

    // "3 folders couldn't be read — sizes may be incomplete"
    static QString countLine(int64_t count);
    static QString explanation();

    ThemedLabel* countLabel() const { return count_; }
    QWidget* textColumn() const { return text_; }
    SymbolButton* closeButton() const { return close_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void refresh();

    ScanViewModel& viewModel_;
    QWidget* text_;
    ThemedLabel* count_;
    SymbolButton* close_;
};
