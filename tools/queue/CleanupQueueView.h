#pragma once

#include "model/CleanupQueue.h"
#include "tools/queue/CleanupQueueRows.h"

#include <QWidget>

#include <string>
#include <vector>

class ConfirmationSheet;
class ContentSwitch;
class ListView;
class ScanViewModel;
class ScreenHeader;
class ThemedLabel;
class WideButton;

// The content of the top bar's cleanup-queue popover (460 x 520): the staged items with their sizes
// and reasons, "Clear", and "Move to Trash…", which asks for confirmation and moves every staged item
// to the Trash in the background, then removes the moved ones from the tree. Items that could not be
// moved stay staged and are counted in a banner, which also names the items the queue turned away
// (those in a Trash folder) with the reason. The confirmation is drawn inside the popover, so
// answering it never closes the popover underneath.
class CleanupQueueView : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kSize{460, 520};

    explicit CleanupQueueView(ScanViewModel& viewModel, QWidget* parent = nullptr);
    ~CleanupQueueView() override;

    // The user's actions.
    void clear();
    void removeItem(const QUuid& id);
    void askToMove();   // "Move to Trash…": shows the confirmation
    void confirmMove(); // the confirmation's "Move to Trash"
    void cancelMove();  // the confirmation's "Cancel"

    // What is shown.
    bool isConfirmationShown() const;
    bool isMoving() const { return moving_; }
    const std::vector<std::string>& failures() const { return failures_; }
    bool isEmptyStateShown() const;
    QString stagedText() const;
    QString bannerText() const; // empty without failures or refusals
    QString confirmationTitle() const;
    QString confirmationMessage() const;
    WideButton* clearButton() const { return clear_; }
    WideButton* moveButton() const { return move_; }
    // The confirmation's "Move to Trash" and "Cancel".
    WideButton* confirmationMoveButton() const;
    WideButton* confirmationCancelButton() const;
    // The staged items' list; its rows are a QueueItemListModel.
    ListView* itemList() const { return list_; }
    const QueueItemListModel& items() const { return *rows_; }

    QSize sizeHint() const override { return kSize; }

  signals:
    // The popover should close: emitted after a move in which nothing failed.
    void dismissRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void refresh();
    void finishMove(const CleanupQueue::TrashResult& result);

    ScanViewModel& viewModel_;
    CleanupQueue& queue_;
    ScreenHeader* header_;
    WideButton* clear_;
    WideButton* move_;
    ContentSwitch* content_;
    ListView* list_;
    QueueItemListModel* rows_;
    ThemedLabel* banner_;
    ConfirmationSheet* sheet_;
    std::vector<std::string> failures_;
    std::vector<CleanupQueue::Refusal> moveRefusals_; // the part of failures_ never tried
    bool moving_ = false;
};
