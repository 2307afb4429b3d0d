#pragma once

#include <QMargins>
#include <QScrollArea>

class QVBoxLayout;

// A scrolling column of cards, centred in the area and at most `maxWidth` wide (880 on the
// applications screen): add headers and cards to column() in order; each keeps its own height, and
// the column scrolls, with the themed scroll bar, when they are taller than the area. It has no
// background of its own.
class CardColumn : public QScrollArea {
    Q_OBJECT
  public:
    explicit CardColumn(int maxWidth, QWidget* parent = nullptr);

    QVBoxLayout* column() const { return column_; }
    // Room around the column, inside the scrolling area (24 on every side unless set).
    void setPadding(const QMargins& padding);
    // Where the column stands now, in the scrolled content's coordinates.
    QRect columnGeometry() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void place();

    int maxWidth_;
    QMargins padding_{24, 24, 24, 24};
    QWidget* holder_;
    QWidget* columnWidget_;
    QVBoxLayout* column_;
    bool placing_ = false;
};
