#pragma once

#include "shell/canvas/FolderView.h"
#include "visualizations/foldergrid/FolderCard.h"
#include "visualizations/foldergrid/FolderGridLayout.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPointer>

#include <memory>
#include <optional>
#include <unordered_map>

class FileNode;
class ScanTree;
class ScanViewModel;

// The "Folders" mode of the Explore tab: the direct children of one folder as folder cards followed
// by file tiles, narrowed by the state object's filter and tinted by its colour mode.
//
// One scroll area paints the cells that intersect its viewport from a layout kept as data
// (folder_grid::layout), so a folder of 100,000 children needs no widget per cell. A click selects a
// card or tile, a double click opens a folder or previews a file, a secondary click selects it and
// shows the node context menu.
class FolderGridView : public QAbstractScrollArea, public FolderView {
    Q_OBJECT
  public:
    FolderGridView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent = nullptr);
    ~FolderGridView() override;

    FileNode* folder() const { return folder_; }
    // Lists the new folder's children from the top, nothing hovered.
    void setFolder(FileNode* folder) override;
    const folder_grid::Partition& partition() const { return partition_; }
    // The cells as laid out for the view's current size (empty until the view has one).
    const folder_grid::Layout& gridLayout() const { return layout_; }

    // The card's tint of the folder at `index` of the filtered folders under the current colour mode.
    QColor tintAt(size_t index) const;
    // The cell of a shown child in viewport coordinates (after scrolling), if it has one.
    std::optional<QRectF> cellOf(const FileNode* node) const;
    // The card or tile at a viewport point (cards answer inside their silhouette only), or null.
    FileNode* nodeAt(QPointF viewportPoint) const;
    // The card under the pointer (tiles have no hover effect).
    FileNode* hovered() const { return hovered_; }
    // 0 at rest, 1 while the pointer is over the card; in between while it animates.
    double hoverAmount(const FileNode* node) const;

    // Draws on a pool thread the card bodies of every tint of the colour mode at the size the cards of a
    // view of `size` get (with and without the scroll bar), into the shared cache, each as it is drawn.
    static void warmUp(const ScanViewModel& viewModel, QSize size, double pixelRatio);

    // The line shown when nothing is listed, quoting the filter as typed.
    static QString emptyText(const QString& filter);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void rebuild();
    void repartition();
    void relayout();
    void updateHover(std::optional<QPointF> viewportPoint);
    bool tap(QPointF viewportPoint);
    bool doubleTap(QPointF viewportPoint);
    bool contextMenu(QPointF viewportPoint, QPoint globalPos);
    void animateHover(const FileNode* node, double target);
    void updateCell(const FileNode* node);
    FileNode* nodeOf(const folder_grid::Item& item) const;
    void paintHeader(QPainter& painter, const folder_grid::Item& item) const;
    void paintEmptyState(QPainter& painter, const folder_grid::Item& item) const;

    ScanViewModel& viewModel_;
    std::shared_ptr<ScanTree> tree_; // keeps the folder's nodes alive while they are shown
    FileNode* folder_;
    folder_grid::Partition partition_;
    folder_grid::Layout layout_;
    bool layoutValid_ = false;
    FileNode* hovered_ = nullptr;
    std::unordered_map<const FileNode*, double> hover_;
    std::unordered_map<const FileNode*, QPointer<QObject>> hoverAnimations_;
};
