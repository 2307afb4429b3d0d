#pragma once

#include "shell/style/Theme.h"

#include <QPersistentModelIndex>
#include <QTreeView>

class RowDelegate;

// The themed list every list-shaped screen stands on (the outline, Top Sizes, duplicate groups,
// applications, snapshots, the process table). A screen writes its model and its delegate, nothing
// else:
//   - the model: NodeListModel for nodes of the scan (a flat list, or an outline given a children
//     rule), RowListModel<T> for rows of any other value, SectionedListModel<S, R> for rows under
//     section rows; each hands the row's value back from an index in one call;
//   - the delegate: a RowDelegate subclass with a row height and paintRow(), and buttons() when its
//     rows hold buttons.
//
//     auto* list = new ListView(new TopSizeRow(viewModel), this);
//     auto* rows = new NodeListModel(list);
//     showNodeRows(*list, *rows, viewModel);  // click selects, double click opens, context menu
//     rows->setNodes(viewModel.tree(), nodes); // again whenever the rows change
//
// It paints only the rows in sight (a row that is not shown costs a few bytes and is never painted),
// on whatever lies behind it (it has no background of its own), with the themed scroll bar, and
// repaints when the theme changes. Item-view keys work: arrows, Page Up/Down, Home/End, type-ahead by the
// rows' display text, Enter, and Left/Right to close and open the rows of an outline. One row at a time is
// selected. Signals: tapped() for a single click on a row, activated() (Qt's) for a double click or Enter,
// contextMenuRequested() for a secondary click or the menu key, rowButtonClicked() for a button.
class ListView : public QTreeView {
    Q_OBJECT
  public:
    explicit ListView(RowDelegate* delegate, QWidget* parent = nullptr);

    RowDelegate* rowDelegate() const { return delegate_; }

    // An outline: rows with children get a disclosure chevron, and each level is indented.
    void setOutline(bool on, int indentation = 20);
    // As tall as its rows, and scrolling only past `maxHeight`: for a list inside a card or a page
    // that scrolls as a whole.
    void setFitsRows(bool on, int maxHeight = QWIDGETSIZE_MAX);
    // Empty room around the rows, inside the view.
    void setPadding(const QMargins& padding);
    // Rows on a ground of their own in a colour role of the theme, rather than on what lies behind
    // the list: a list whose rows change often then repaints only itself.
    void setGround(QColor Theme::*role);

    // The row whose button the pointer is over or pressed, and those buttons' ids (-1 for none).
    struct ButtonPointer {
        QPersistentModelIndex index;
        int hovered = -1;
        int pressed = -1;
    };
    const ButtonPointer& buttonPointer() const { return pointer_; }
    // The rectangle the delegate paints a row in (an outline's indentation excluded).
    QRectF rowRect(const QModelIndex& index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void tapped(const QModelIndex& index);
    void contextMenuRequested(const QModelIndex& index, const QPoint& globalPos);
    void rowButtonClicked(const QModelIndex& index, int button);

  protected:
    QSize viewportSizeHint() const override;
    void updateGeometries() override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void applyPalette();
    // The last column ends at the viewport's right edge, whether the scroll bar shows or not.
    void fitRowsToViewport();
    // The enabled button at a viewport point and its row; -1 when there is none (a disabled one
    // gives -2: it takes the click and does nothing).
    std::pair<QModelIndex, int> buttonAt(QPointF point) const;
    void setPointer(const QModelIndex& index, int hovered, int pressed);

    RowDelegate* delegate_;
    ButtonPointer pointer_;
    QMargins padding_;
    QColor Theme::*ground_ = nullptr;
    bool placingPadding_ = false;
    bool fitsRows_ = false;
    bool endsDoubleClick_ = false;
};
