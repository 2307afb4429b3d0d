#include "shell/lists/RowDelegate.h"

#include "shell/controls/PressableButton.h"
#include "shell/lists/ListView.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

RowDelegate::RowDelegate(int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}

int RowDelegate::rowHeight(const QModelIndex&) const {
    return rowHeight_;
}

std::vector<RowDelegate::Button> RowDelegate::buttons(const QModelIndex&, const QRectF&) const {
    return {};
}

const RowDelegate::Button* RowDelegate::buttonAt(const std::vector<Button>& buttons, QPointF point) const {
    for (const Button& button : buttons)
        if (button.rect.contains(point)) return &button;
    return nullptr;
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    // The view gives the row its whole width; only the height counts.
    return {1, rowHeight(index)};
}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    RowState row;
    row.rect = option.rect;
    row.hovered = option.state & QStyle::State_MouseOver;
    row.selected = option.state & QStyle::State_Selected;
    row.focused = (option.state & QStyle::State_HasFocus) && (option.state & QStyle::State_Active);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        ++row.depth;
    if (const auto* view = qobject_cast<const ListView*>(option.widget)) {
        const ListView::ButtonPointer pointer = view->buttonPointer();
        if (pointer.index == index) {
            row.hoveredButton = pointer.hovered;
            row.pressedButton = pointer.pressed;
        }
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    paintRow(*painter, row, index);
    painter->restore();
}

bool RowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                            const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip) {
        const auto shown = buttons(index, option.rect);
        if (const Button* button = buttonAt(shown, event->pos()); button && !button->toolTip.isEmpty()) {
            QToolTip::showText(event->globalPos(), button->toolTip, view->viewport(),
                               button->rect.toAlignedRect());
            return true;
        }
    }
    // Elsewhere the model's tool tip, if it has one.
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void RowDelegate::paintHoverFill(QPainter& painter, const QRectF& rect, double radius) {
    shapes::fill(painter, rect, radius, theme().chip);
}

void RowDelegate::paintRing(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                            double lineWidth) {
    shapes::strokeInside(painter, rect, radius, color, lineWidth);
}

void RowDelegate::paintSymbolButton(QPainter& painter, const Button& button, const RowState& row,
                                    const QString& symbol, double textSize, const QColor& color) {
    const bool hot = button.enabled && row.hoveredButton == button.id;
    if (hot) {
        QColor disc = color;
        disc.setAlphaF(0.12f);
        shapes::fill(painter, button.rect, std::min(button.rect.width(), button.rect.height()) / 2, disc);
    }
    const double opacity = painter.opacity();
    if (!button.enabled)
        painter.setOpacity(opacity * PressableStyle::kDisabledOpacity);
    else if (row.pressedButton == button.id)
        painter.setOpacity(opacity * 0.6);
    symbols::paint(painter, button.rect, symbol, textSize, color);
    painter.setOpacity(opacity);
}
