#pragma once

#include "tools/snapshots/SnapshotRows.h"

#include <QWidget>

#include <memory>

class ContentSwitch;
class ListView;
class OutlineButton;
class ScanViewModel;
class ScreenHeader;
class SnapshotComparison;
class SnapshotSource;
class ThemedLabel;

// The Snapshots tab: takes a snapshot of the current scan, lists the stored snapshots (each can be
// picked as "Before" and as "After", or deleted) and shows what changed between the two picks: the
// 200 folders whose size changed most, growth in red and shrinkage in green. The picks and the
// comparison belong to the screen and start empty each time it is built.
class SnapshotsView : public QWidget {
    Q_OBJECT
  public:
    explicit SnapshotsView(ScanViewModel& viewModel, QWidget* parent = nullptr);
    ~SnapshotsView() override;

    SnapshotComparison& comparison() const { return *comparison_; }

    // What is shown (for tests).
    OutlineButton* takeButton() const { return take_; }
    bool isSavingIndicatorShown() const;
    // The text shown instead of the list, or in the comparison pane; empty when none is.
    QString emptyText() const;
    QString paneText() const;
    bool isComparingShown() const;
    QString headingText() const; // the ready comparison's heading, else empty
    ListView* snapshotList() const { return list_; }
    ListView* changeList() const { return changes_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void refreshHeader();
    void refreshList();
    void refreshPane();
    void buttonClicked(int row, int button);

    ScanViewModel& viewModel_;
    std::unique_ptr<SnapshotSource> source_;
    SnapshotComparison* comparison_;
    ScreenHeader* header_;
    OutlineButton* take_;
    ContentSwitch* snapshots_;
    ListView* list_;
    SnapshotListModel* rows_;
    ContentSwitch* pane_;
    ThemedLabel* heading_;
    ThemedLabel* noChange_;
    ListView* changes_;
    DeltaListModel* changeRows_;
};
