#include "tools/queue/CleanupQueueRows.h"

#include "platform/Paths.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double kPadding = 16, kButtonSide = 24;

QFont nameFont() {
    return fonts::ui(12.5, QFont::Medium);
}

} // namespace

CleanupQueueRows::CleanupQueueRows(QObject* parent) : RowDelegate(kRowHeight, parent) {}

QString CleanupQueueRows::nameText(const CleanupQueue::Item& item) {
    return fromBytes(platform::lastComponent(item.path));
}

QString CleanupQueueRows::nameLine(const CleanupQueue::Item& item, double width) {
    return QFontMetricsF(nameFont()).elidedText(nameText(item), Qt::ElideRight, width);
}

std::vector<RowDelegate::Button> CleanupQueueRows::buttons(const QModelIndex&, const QRectF& row) const {
    const QRectF remove(row.right() - kPadding - kButtonSide + 4,
                        row.top() + (row.height() - kButtonSide) / 2, kButtonSide, kButtonSide);
    return {{kRemove, remove, true, {}}};
}

void CleanupQueueRows::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const Theme& t = theme();
    const CleanupQueue::Item& item = QueueItemListModel::at(index);
    const QRectF r = row.rect;
    if (row.hovered)
        paintHoverFill(painter, r.adjusted(6, 2, -6, -2), 8);
    else if (index.row() > 0)
        painter.fillRect(QRectF(r.left() + kPadding, r.top(), r.width() - 2 * kPadding, 1), t.divider);

    const Button remove = buttons(index, r).front();
    const QFont sizeFont = fonts::ui(12);
    const QString size = formatBytes(item.size);
    const double sizeRight = remove.rect.left() - 8;
    const double sizeWidth =
        ThemedLabel::paintLine(painter, QRectF(r.left(), r.top(), sizeRight - r.left(), r.height()), size,
                               sizeFont, t.text, Qt::AlignRight, Qt::ElideNone);

    // The name over the reason, centred as one block.
    const QFont reasonFont = fonts::ui(10.5);
    const QFontMetricsF nameMetrics(nameFont()), reasonMetrics(reasonFont);
    const double textWidth = std::max(0.0, sizeRight - sizeWidth - 12 - kPadding);
    const double nameHeight = nameMetrics.ascent() + nameMetrics.descent();
    const double reasonHeight = reasonMetrics.ascent() + reasonMetrics.descent();
    const double blockTop = r.center().y() - (nameHeight + 1 + reasonHeight) / 2;
    painter.setFont(nameFont());
    painter.setPen(t.text);
    painter.drawText(QPointF(r.left() + kPadding, blockTop + nameMetrics.ascent()),
                     nameLine(item, textWidth));
    painter.setFont(reasonFont);
    painter.setPen(t.textSecondary);
    painter.drawText(QPointF(r.left() + kPadding, blockTop + nameHeight + 1 + reasonMetrics.ascent()),
                     reasonMetrics.elidedText(item.reason, Qt::ElideRight, textWidth));

    const bool hot = row.hoveredButton == kRemove;
    paintSymbolButton(painter, remove, row, QStringLiteral("xmark.circle"), 13,
                      hot ? t.used : t.textTertiary);
}
