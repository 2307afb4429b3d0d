#include "shell/controls/CardColumn.h"

#include "shell/controls/ThemedScrollBar.h"

#include <QEvent>
#include <QVBoxLayout>

#include <algorithm>

CardColumn::CardColumn(int maxWidth, QWidget* parent)
    : QScrollArea(parent), maxWidth_(maxWidth), holder_(new QWidget), columnWidget_(new QWidget(holder_)),
      column_(new QVBoxLayout(columnWidget_)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical));
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(8);
    setWidget(holder_);
    holder_->setAutoFillBackground(false); // setWidget turns it on
    // The holder has no layout: the column is placed by hand, centred, and the holder is as tall as
    // it. A card that changes its height asks the column's layout again, which places it anew.
    columnWidget_->installEventFilter(this);
    holder_->installEventFilter(this); // narrower when the scroll bar comes
    place();
}

void CardColumn::setPadding(const QMargins& padding) {
    padding_ = padding;
    place();
}

QRect CardColumn::columnGeometry() const {
    return columnWidget_->geometry();
}

bool CardColumn::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == columnWidget_ && event->type() == QEvent::LayoutRequest) ||
        (watched == holder_ && event->type() == QEvent::Resize))
        place();
    return QScrollArea::eventFilter(watched, event);
}

void CardColumn::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    place();
}

void CardColumn::place() {
    if (placing_) return;
    placing_ = true;
    const int room = viewport()->width() - padding_.left() - padding_.right();
    const int width = std::max(0, std::min(maxWidth_, room));
    column_->activate();
    const int height = column_->hasHeightForWidth() ? column_->totalHeightForWidth(width)
                                                    : column_->totalSizeHint().height();
    const int left = padding_.left() + std::max(0, room - width) / 2;
    columnWidget_->setGeometry(left, padding_.top(), width, height);
    holder_->setMinimumHeight(padding_.top() + height + padding_.bottom());
    placing_ = false;
}
