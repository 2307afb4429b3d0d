#include "tools/applications/AppRow.h"

#include "model/AppUninstaller.h"
#include "shell/controls/PressableButton.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/RowListModel.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"
#include "tools/applications/AppIconCache.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

using AppUninstaller::InstalledApp;

AppRow::AppRow(AppIconCache& icons, Source source, QObject* parent)
    : RowDelegate(int(AppRowLayout::kHeaderHeight) + kSpacing, parent), icons_(icons),
      source_(std::move(source)) {}

const InstalledApp& AppRow::app(const QModelIndex& index) {
    return RowListModel<InstalledApp>::at(index);
}

bool AppRow::isLast(const QModelIndex& index) {
    return index.row() + 1 == index.model()->rowCount(index.parent());
}

AppRowLayout AppRow::layout(const QModelIndex& index, const QRectF& row) const {
    const InstalledApp& a = app(index);
    const QRectF card(row.left(), row.top(), row.width(), row.height() - (isLast(index) ? 0 : kSpacing));
    return AppRowLayout::make(a, card, source_.openness(a.id), source_.isUninstalling(a.bundleURL));
}

int AppRow::rowHeight(const QModelIndex& index) const {
    const InstalledApp& a = app(index);
    return int(std::ceil(AppRowLayout::cardHeight(a, source_.openness(a.id)))) +
           (isLast(index) ? 0 : kSpacing);
}

std::vector<RowDelegate::Button> AppRow::buttons(const QModelIndex& index, const QRectF& row) const {
    const AppRowLayout l = layout(index, row);
    std::vector<Button> out;
    if (!l.uninstalling) out.push_back({kUninstall, l.action, true, {}});
    for (size_t i = 0; i < l.details.size(); ++i) {
        const auto& d = l.details[i];
        // A line the opening card does not show yet takes no clicks.
        if (d.reveal.bottom() > l.card.bottom()) continue;
        out.push_back({kRevealFirst + int(i), d.reveal, !d.paths.empty(), AppRowLayout::kRevealToolTip});
    }
    out.push_back({kHeader, l.header, l.toggles, {}});
    return out;
}

void AppRow::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const Theme& t = theme();
    const InstalledApp& a = app(index);
    const AppRowLayout l = layout(index, row.rect);

    // An open row never shows the hover fill.
    QColor fill = t.card;
    if (row.hovered && l.openness <= 0) {
        fill = t.chip;
        fill.setAlphaF(0.5f);
    }
    shapes::fill(painter, l.card, AppRowLayout::kRadius, fill);
    painter.save();
    painter.setClipPath(shapes::continuousRoundedRect(l.card, AppRowLayout::kRadius), Qt::IntersectClip);
    paintHeader(painter, l, row, a);
    if (l.openness > 0) paintDetails(painter, l, row);
    painter.restore();
    shapes::strokeInside(painter, l.card, AppRowLayout::kRadius, t.border);
}

void AppRow::paintHeader(QPainter& painter, const AppRowLayout& l, const RowState& row,
                         const InstalledApp& a) const {
    const Theme& t = theme();

    // Chevron: turned down as far as the row is open; dimmed when there is nothing to open.
    QColor chevron = t.textTertiary;
    if (!l.toggles) chevron.setAlphaF(chevron.alphaF() * 0.4f);
    painter.save();
    painter.translate(l.chevron.center());
    painter.rotate(90 * l.openness);
    painter.translate(-l.chevron.center());
    symbols::paint(painter, l.chevron, QStringLiteral("chevron.right"), 10.5, chevron);
    painter.restore();

    // Icon: the desktop entry's, else the generic application symbol on a tile.
    const QIcon icon = icons_.icon(a);
    if (!icon.isNull()) {
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QPixmap pixmap = icon.pixmap(l.icon.size().toSize(), ratio);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(l.icon, pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
        painter.restore();
    } else {
        shapes::fill(painter, l.icon.adjusted(2, 2, -2, -2), 8, t.chip);
        symbols::paint(painter, l.icon, QStringLiteral("app.fill"), 17, t.textTertiary);
    }

    ThemedLabel::paintLine(painter, l.nameRect, l.name, AppRowLayout::nameFont(), t.text);
    ThemedLabel::paintLine(painter, l.identifierRect, l.identifier, AppRowLayout::secondaryFont(),
                           t.textTertiary);
    if (!l.version.isEmpty()) {
        shapes::fill(painter, l.versionChip, 5, t.chip);
        ThemedLabel::paintLine(painter, l.versionChip, l.version, AppRowLayout::chipFont(), t.textSecondary,
                               Qt::AlignHCenter);
    }
    if (!l.lastUsed.isEmpty())
        ThemedLabel::paintLine(painter, l.lastUsedRect, l.lastUsed, AppRowLayout::secondaryFont(),
                               t.textTertiary);
    ThemedLabel::paintLine(painter, l.totalRect, l.total, AppRowLayout::totalFont(), t.text, Qt::AlignRight);
    if (!l.leftovers.isEmpty())
        ThemedLabel::paintLine(painter, l.leftoversRect, l.leftovers, AppRowLayout::secondaryFont(),
                               t.textTertiary, Qt::AlignRight);

    if (l.uninstalling) {
        Spinner::paint(painter, l.action, source_.spinnerStep ? source_.spinnerStep() : 0);
        return;
    }
    // The Uninstall button, outlined, as the shared buttons look.
    painter.save();
    PressableStyle::apply(painter, l.action, row.pressedButton == kUninstall ? 1.0 : 0.0);
    shapes::fill(painter, l.action, 6, row.hoveredButton == kUninstall ? t.chip : t.card);
    shapes::strokeInside(painter, l.action, 6, t.border);
    ThemedLabel::paintLine(painter, l.action, AppRowLayout::kUninstall, AppRowLayout::buttonFont(), t.text,
                           Qt::AlignHCenter);
    painter.restore();
}

void AppRow::paintDetails(QPainter& painter, const AppRowLayout& l, const RowState& row) const {
    const Theme& t = theme();
    painter.fillRect(l.divider, t.divider);
    for (size_t i = 0; i < l.details.size(); ++i) {
        const auto& d = l.details[i];
        if (d.line.top() >= l.card.bottom()) break;
        symbols::paint(painter, d.symbolRect, d.symbol, 11, t.textTertiary);
        ThemedLabel::paintLine(painter, d.titleRect, d.title, AppRowLayout::detailFont(), t.textSecondary);
        ThemedLabel::paintLine(painter, d.sizeRect, d.size, AppRowLayout::detailFont(), t.textSecondary,
                               Qt::AlignRight);
        const Button reveal{kRevealFirst + int(i), d.reveal, !d.paths.empty(), {}};
        paintSymbolButton(painter, reveal, row, QStringLiteral("arrow.up.forward.square"), 11,
                          t.textTertiary);
    }
}
