#pragma once

#include "model/CleanupQueue.h"

#include <QUuid>
#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QScrollArea;
class QStackedWidget;
class ScanViewModel;
class OutlineButton;
class WideButton;

namespace cleanup_queue {
class ItemList;
class ConfirmSheet;
} // namespace cleanup_queue
class EmptyState;

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
    WideButton* clearButton() const;
    WideButton* moveButton() const;
    // The confirmation's "Move to Trash" and "Cancel".
    WideButton* confirmationMoveButton() const;
    WideButton* confirmationCancelButton() const;
    cleanup_queue::ItemList* itemList() const { return list_; }

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
    QLabel* title_;
    QLabel* staged_;
    OutlineButton* clear_;
    WideButton* move_;
    QStackedWidget* content_;
    EmptyState* empty_;
    QScrollArea* scroll_;
    cleanup_queue::ItemList* list_;
    QLabel* banner_;
    cleanup_queue::ConfirmSheet* sheet_;
    std::vector<std::string> failures_;
    std::vector<CleanupQueue::Refusal> moveRefusals_; // the part of failures_ never tried
    bool moving_ = false;
};

namespace cleanup_queue {

// The staged items as painted rows: name and reason, size, and a remove button.
class ItemList : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 48;

    explicit ItemList(CleanupQueue& queue, QWidget* parent = nullptr);

    int rowCount() const;
    QRectF removeButtonRect(int row) const;
    // The texts of a row as shown.
    QString nameText(int row) const;
    QString reasonText(int row) const;
    QString sizeText(int row) const;

    QSize sizeHint() const override;

  signals:
    void removeRequested(const QUuid& id);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int rowAt(QPointF point) const;
    void setHover(int row, bool onButton);

    CleanupQueue& queue_;
    int hoverRow_ = -1;
    bool hoverButton_ = false;
    int pressedRow_ = -1;
};

} // namespace cleanup_queue
