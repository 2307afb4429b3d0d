#pragma once

#include "tools/duplicates/DuplicateRows.h"
#include "tools/duplicates/DuplicatesContent.h"

#include <QWidget>

#include <memory>

class ContentSwitch;
class ListView;
class OutlineButton;
class ScanTree;
class ScanViewModel;
class ScreenHeader;
class ThemedLabel;

// The Duplicates tab: starts the duplicate search over the scan (it runs off the window thread) and
// lists the groups of identical files it found, most wasted bytes first, with the bytes that could be
// reclaimed. A group opens onto its files; "Keep this, stage the rest" stages every other copy in the
// cleanup queue. Groups start closed each time the screen is built; a group keeps its open or
// closed state while it stays listed, as after a move of some of its copies to the Trash.
class DuplicatesView : public QWidget {
    Q_OBJECT
  public:
    explicit DuplicatesView(ScanViewModel& viewModel, QWidget* parent = nullptr);
    ~DuplicatesView() override;

    // The file row's button: keeps that file, stages the rest of its group.
    void keepAndStageRest(const QModelIndex& fileRow);

    // What is shown (for tests).
    duplicates_content::Content content() const { return shown_; }
    OutlineButton* searchButton() const { return search_; }
    bool isSearchingShown() const;
    QString summaryText() const; // the summary over the groups, else empty
    ListView* groupList() const { return list_; }
    DuplicateListModel& groups() const { return *model_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void refreshHeader();
    void refreshGroups();
    void refreshContent();

    ScanViewModel& viewModel_;
    // Keeps the listed files' nodes alive until the list lets them go.
    std::shared_ptr<ScanTree> tree_;
    duplicates_content::Content shown_ = duplicates_content::Content::needsScan;
    ScreenHeader* header_;
    OutlineButton* search_;
    ContentSwitch* content_;
    ThemedLabel* summary_;
    ListView* list_;
    DuplicateListModel* model_;
};
