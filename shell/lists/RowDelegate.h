#pragma once

#include <QStyledItemDelegate>

#include <vector>

class QPainter;

// The base of every row look in a ListView (see ListView.h for how a list screen is written). A
// subclass says how tall a row is, paints one row from its index, and may name buttons inside it;
// the base hands it the row's state and paints nothing of its own, so every list looks as its
// screen draws it, in the current theme (read with theme() while painting).
class RowDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // A clickable area inside a row (remove, reveal, stage...). The list reports a click on it with
    // ListView::rowButtonClicked(index, id) and does not select the row.
    struct Button {
        int id = 0;
        QRectF rect; // in the same coordinates as the row's rect
        bool enabled = true;
        QString toolTip;
    };

    // What a row looks like now.
    struct RowState {
        QRectF rect;           // the row, in viewport coordinates (an outline's indentation excluded)
        bool hovered = false;  // the pointer is over the row
        bool selected = false; // the list's selected row (ListView keeps it in step with the screen)
        bool focused = false;  // the keyboard's row while the list has the focus
        int hoveredButton = -1, pressedButton = -1; // Button::id, or -1
        int depth = 0;                              // 0 for top-level rows
    };

    explicit RowDelegate(int rowHeight, QObject* parent = nullptr);

    int rowHeight() const { return rowHeight_; }
    // The height of one row; rows of differing heights need ListView::setUniformRowHeights(false).
    virtual int rowHeight(const QModelIndex& index) const;
    // The buttons of a row whose rectangle is `row`. None by default.
    virtual std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const;

    // The button at a point of a row, or null (disabled buttons too: they swallow the click).
    const Button* buttonAt(const std::vector<Button>& buttons, QPointF point) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const final;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const final;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  protected:
    // Paints one row. The painter is antialiased and saved around the call; stay inside `row.rect`.
    virtual void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const = 0;

    // The looks rows share.
    // The hovered row's rounded fill in the theme's chip colour.
    static void paintHoverFill(QPainter& painter, const QRectF& rect, double radius = 8);
    // A ring drawn inside `rect`.
    static void paintRing(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                          double lineWidth = 1.5);
    // A symbol button: a faint disc behind it while hovered, dimmed while pressed or disabled.
    static void paintSymbolButton(QPainter& painter, const Button& button, const RowState& row,
                                  const QString& symbol, double textSize, const QColor& color);

  private:
    int rowHeight_;
};
