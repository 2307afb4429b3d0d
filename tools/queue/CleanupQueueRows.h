#pragma once

#include "model/CleanupQueue.h"
#include "shell/lists/RowDelegate.h"
#include "shell/lists/RowListModel.h"

using QueueItemListModel = RowListModel<CleanupQueue::Item>;

// A staged item: its name over the reason it was staged, its size, and a remove button; a line
// between rows.
class CleanupQueueRows : public RowDelegate {
    Q_OBJECT
  public:
    static constexpr int kRemove = 0;
    static constexpr int kRowHeight = 48;

    explicit CleanupQueueRows(QObject* parent = nullptr);

    // The name shown: the path's last component.
    static QString nameText(const CleanupQueue::Item& item);
    // The name as a row `width` wide shows it: a long one keeps its start and is cut at the tail.
    static QString nameLine(const CleanupQueue::Item& item, double width);

    std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const override;

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;
};
