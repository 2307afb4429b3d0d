#pragma once

#include "shell/controls/CardBackground.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class FileNode;
class ListView;
class NodeListModel;
class OutlineButton;
class ScanTree;
class ScanViewModel;
class SectionCaption;
class QLabel;
class ThemedLabel;

// The age map's "Big & Untouched" card: the largest files of the folder untouched for a year (the
// age report's list, the first 100 shown), each with a button that stages it for cleanup or takes it
// out of the queue again, and one button that stages every shown file at once. Staging only adds
// entries to the cleanup queue; the card redraws whenever the queue changes, whoever changed it.
// A click selects a file, a secondary click shows the node menu. Names cut to initials, and back,
// cross-fade over the labels' change.
class UntouchedCard : public CardBackground {
    Q_OBJECT
  public:
    static constexpr size_t kShownLimit = 100;
    static const QString& reason(); // "Big & Untouched"

    explicit UntouchedCard(ScanViewModel& viewModel, QWidget* parent = nullptr);
    ~UntouchedCard() override;

    // Shows the first 100 of `files` (the report's untouched files of `tree`, largest first).
    void setFiles(std::shared_ptr<ScanTree> tree, std::span<FileNode* const> files);
    const std::vector<FileNode*>& shown() const { return shown_; }
    int64_t shownTotal() const { return total_; }
    QString summary() const; // "2.41 GB across 7 items"

    // Stages every shown file that is not staged yet, as one change of the queue; staged ones keep
    // their item and its reason.
    void stageShown();
    // Takes a staged file out of the queue (every item of its path, whoever staged it), or stages it.
    void toggleStaged(const FileNode* node);

    ListView* list() const { return list_; }
    // How far the names have gone to initials: 0 full names, 1 initials, between while they fade.
    double initialsShare() const { return initials_; }
    OutlineButton* stageButton() const { return stageButton_; }
    ThemedLabel* emptyText() const { return emptyText_; }

  protected:
    bool event(QEvent* event) override;

  private:
    void colorSummary();

    ScanViewModel& viewModel_;
    std::vector<FileNode*> shown_;
    int64_t total_ = 0;
    SectionCaption* caption_;
    QLabel* summary_;
    ThemedLabel* emptyText_;
    double initials_;
    ListView* list_;
    NodeListModel* rows_;
    OutlineButton* stageButton_;
};
