#pragma once

#include "model/Snapshot.h"
#include "shell/lists/RowDelegate.h"
#include "shell/lists/RowListModel.h"

class SnapshotComparison;
struct Theme;

using SnapshotListModel = RowListModel<Snapshot::Summary>;
using DeltaListModel = RowListModel<Snapshot::Delta>;

// A stored snapshot: its folder and, below, its size and date; then the "Before" and "After" toggles,
// on while the comparison's pick holds this snapshot, and the delete button.
class SnapshotRows : public RowDelegate {
    Q_OBJECT
  public:
    enum ButtonId { kBefore, kAfter, kDelete };

    explicit SnapshotRows(const SnapshotComparison& comparison, QObject* parent = nullptr);

    std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const override;

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;

  private:
    const SnapshotComparison& comparison_;
};

// A folder whose size changed: its path and the change, red for growth, green for shrinkage.
class DeltaRows : public RowDelegate {
    Q_OBJECT
  public:
    DeltaRows(QObject* parent = nullptr);

    // Red when the folder grew (or is new), green when it shrank (or vanished), dark or light enough
    // to read as small text on the theme's background.
    static QColor changeColor(int64_t change, const Theme& theme);

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;
};
