#pragma once

#include "shell/lists/RowDelegate.h"

#include <QFont>

// One row of the outline list: the item's symbol, its name, a thin bar and a percentage of its
// parent's size, and its size. The selected row (the keyboard's row) lies on the chip colour.
class OutlineRow : public RowDelegate {
    Q_OBJECT
  public:
    static constexpr int kHeight = 28;

    explicit OutlineRow(QObject* parent = nullptr);

    // The share bar's rectangle in a row.
    static QRectF barRect(const QRectF& row);
    // The size's rectangle in a row (at its right end), and the size's font.
    static QRectF sizeRect(const QRectF& row);
    static QFont sizeFont();

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;
};
