#include "tools/snapshots/SnapshotRows.h"

#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"
#include "tools/snapshots/SnapshotComparison.h"
#include "tools/snapshots/SnapshotTexts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double kToggleHeight = 24, kToggleGap = 6, kDeleteSide = 28;

QFont pathFont() {
    return fonts::ui(12.5);
}
QFont detailFont() {
    return fonts::ui(11);
}
QFont toggleFont() {
    return fonts::ui(11.5, QFont::Medium);
}

double toggleWidth(const QString& title) {
    return std::ceil(QFontMetricsF(toggleFont()).horizontalAdvance(title)) + 22;
}

// A toggle drawn as a button that shows its state: filled with the accent while on.
void paintToggle(QPainter& painter, const RowDelegate::Button& button, const RowDelegate::RowState& row,
                 const QString& title, bool on) {
    const Theme& t = theme();
    const bool hovered = row.hoveredButton == button.id;
    painter.save();
    if (row.pressedButton == button.id) painter.setOpacity(0.75);
    if (on) {
        shapes::fill(painter, button.rect, 6, t.ink);
    } else {
        shapes::fill(painter, button.rect, 6, hovered ? t.chip : t.card);
        shapes::strokeInside(painter, button.rect, 6, t.border);
    }
    ThemedLabel::paintLine(painter, button.rect, title, toggleFont(), on ? t.onInk : t.text, Qt::AlignCenter);
    painter.restore();
}

// Digits all as wide as the widest, so changes line up down the column whatever their digits.
void paintTabular(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                  const QColor& color) {
    const QFontMetricsF metrics(font);
    double digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, metrics.horizontalAdvance(QChar(c)));
    double width = 0;
    for (QChar c : text)
        width += c.isDigit() ? digit : metrics.horizontalAdvance(c);
    double x = rect.right() - width;
    const double baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    painter.setFont(font);
    painter.setPen(color);
    for (QChar c : text) {
        const double advance = c.isDigit() ? digit : metrics.horizontalAdvance(c);
        painter.drawText(QPointF(x + (advance - metrics.horizontalAdvance(c)) / 2, baseline), QString(c));
        x += advance;
    }
}

} // namespace

// ---- Snapshot rows ------------------------------------------------------------------------------

SnapshotRows::SnapshotRows(const SnapshotComparison& comparison, QObject* parent)
    : RowDelegate(48, parent), comparison_(comparison) {}

std::vector<RowDelegate::Button> SnapshotRows::buttons(const QModelIndex&, const QRectF& row) const {
    const double top = row.center().y() - kToggleHeight / 2;
    const QRectF remove(row.right() - kDeleteSide, row.center().y() - kDeleteSide / 2, kDeleteSide,
                        kDeleteSide);
    const double afterWidth = toggleWidth(QStringLiteral("After")),
                 beforeWidth = toggleWidth(QStringLiteral("Before"));
    const QRectF after(remove.left() - kToggleGap - afterWidth, top, afterWidth, kToggleHeight);
    const QRectF before(after.left() - kToggleGap - beforeWidth, top, beforeWidth, kToggleHeight);
    return {{kBefore, before, true, {}},
            {kAfter, after, true, {}},
            {kDelete, remove, true, QStringLiteral("Delete snapshot")}};
}

void SnapshotRows::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const Theme& t = theme();
    const Snapshot::Summary& summary = SnapshotListModel::at(index);
    const QRectF r = row.rect;
    if (row.hovered) paintHoverFill(painter, r.adjusted(0, 1, 0, -1), 8);
    const std::vector<Button> shown = buttons(index, r);
    const double textRight = shown.front().rect.left() - 12;
    const QRectF text(r.left() + 10, r.top(), std::max(0.0, textRight - r.left() - 10), r.height());
    ThemedLabel::paintLine(painter, QRectF(text.left(), text.top() + 5, text.width(), 20),
                           fromBytes(summary.rootPath), pathFont(), t.text, Qt::AlignLeft, Qt::ElideMiddle);
    ThemedLabel::paintLine(painter, QRectF(text.left(), text.top() + 25, text.width(), 17),
                           snapshot_texts::summaryDetail(summary), detailFont(), t.textSecondary);
    paintToggle(painter, shown[kBefore], row, QStringLiteral("Before"), comparison_.before() == summary.id);
    paintToggle(painter, shown[kAfter], row, QStringLiteral("After"), comparison_.after() == summary.id);
    paintSymbolButton(painter, shown[kDelete], row, QStringLiteral("trash"), 13, t.textSecondary);
}

// ---- Delta rows ---------------------------------------------------------------------------------

DeltaRows::DeltaRows(QObject* parent) : RowDelegate(26, parent) {}

QColor DeltaRows::changeColor(int64_t change, const Theme& theme) {
    const bool dark = theme.colorScheme == ColorScheme::dark;
    if (change >= 0) return dark ? QColor(255, 105, 97) : QColor(200, 38, 30);
    return dark ? QColor(60, 206, 100) : QColor(22, 128, 56);
}

void DeltaRows::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const Theme& t = theme();
    const Snapshot::Delta& delta = DeltaListModel::at(index);
    const QRectF r = row.rect;
    if (row.hovered) paintHoverFill(painter, r, 6);
    const QFont font = fonts::ui(11);
    const QRectF change(r.right() - 110, r.top(), 100, r.height());
    paintTabular(painter, change, snapshot_texts::changeText(delta), font, changeColor(delta.change(), t));
    ThemedLabel::paintLine(painter,
                           QRectF(r.left() + 10, r.top(), change.left() - 16 - r.left() - 10, r.height()),
                           fromBytes(delta.path), font, t.text, Qt::AlignLeft, Qt::ElideMiddle);
}
