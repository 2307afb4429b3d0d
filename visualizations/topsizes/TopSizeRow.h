#pragma once

#include "shell/lists/RowDelegate.h"

#include <QColor>
#include <QFont>
#include <QString>

class FileNode;
class ScanViewModel;
namespace top_sizes {
class VisibleList;
}

// One ranked row of the Top Sizes view: its rank, the item's symbol, a bar as long as its share of the
// largest match with the name (and, for the "anywhere" scopes, the parent folder's path) written over
// it, a kind word, its share of the listed folder and its size. The bar of the selected node carries a
// ring; hovering changes nothing. The tool tip is the item's full path.
class TopSizeRow : public RowDelegate {
    Q_OBJECT
  public:
    static constexpr int kHeight = 43;

    explicit TopSizeRow(ScanViewModel& viewModel, QObject* parent = nullptr);

    // The rows' values come from `list` (kept by the caller while the rows show); the location is shown
    // after the name when `showsLocation`.
    void setList(const top_sizes::VisibleList* list, bool showsLocation);

    // The bar's rectangle in a row.
    static QRectF barCell(const QRectF& row);
    // The size's rectangle in a row (at its right end), and the size's font.
    static QRectF sizeRect(const QRectF& row);
    static QFont sizeFont();
    // The bar's colour: seven light tints by the node's dominant category, wrapping (so a system file
    // shares the video tint and "other" the audio one).
    static QColor barColor(const FileNode& node);
    // "12,500 files" for a folder (the user's digit grouping), the category's title for a file.
    static QString kindWord(const FileNode& node);

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;

  private:
    ScanViewModel& viewModel_;
    const top_sizes::VisibleList* list_ = nullptr;
    bool showsLocation_ = false;
};
