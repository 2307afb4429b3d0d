#include "tools/duplicates/DuplicateRows.h"

#include "model/FileNode.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"
#include "tools/duplicates/DuplicatesContent.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

const QString kKeepTitle = QStringLiteral("Keep this, stage the rest");

QFont captionFont() {
    return fonts::ui(11);
}
QFont keepFont() {
    return fonts::ui(11, QFont::Medium);
}

} // namespace

DuplicateRows::DuplicateRows(QObject* parent) : RowDelegate(kRowHeight, parent) {}

std::vector<RowDelegate::Button> DuplicateRows::buttons(const QModelIndex& index, const QRectF& row) const {
    if (DuplicateListModel::isSection(index)) return {};
    const double width = std::ceil(QFontMetricsF(keepFont()).horizontalAdvance(kKeepTitle)) + 16;
    return {{kKeep, QRectF(row.right() - 4 - width, row.center().y() - 11, width, 22), true, {}}};
}

void DuplicateRows::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const Theme& t = theme();
    const QRectF r = row.rect;
    if (row.hovered || row.selected) paintHoverFill(painter, r.adjusted(0, 1, 0, -1), 7);
    if (DuplicateListModel::isSection(index)) {
        ThemedLabel::paintLine(painter, r.adjusted(4, 0, -8, 0),
                               duplicates_content::groupLabel(DuplicateListModel::section(index)),
                               fonts::ui(12.5, QFont::Medium), t.text);
        return;
    }
    const Button keep = buttons(index, r).front();
    const FileNode* file = DuplicateListModel::row(index);
    // Shown as the path the file is reached by; a name that is not UTF-8 shows replacement characters.
    ThemedLabel::paintLine(painter,
                           QRectF(r.left() + 4, r.top(), keep.rect.left() - 12 - r.left() - 4, r.height()),
                           fromBytes(file->path()), captionFont(), t.text, Qt::AlignLeft, Qt::ElideMiddle);
    // A borderless button: its title in the accent colour, a faint fill under the pointer.
    const bool hot = row.hoveredButton == kKeep;
    if (hot) {
        QColor fill = t.ink;
        fill.setAlphaF(0.12f);
        shapes::fill(painter, keep.rect, 6, fill);
    }
    painter.save();
    if (row.pressedButton == kKeep) painter.setOpacity(0.6);
    ThemedLabel::paintLine(painter, keep.rect, kKeepTitle, keepFont(), t.ink, Qt::AlignCenter);
    painter.restore();
}
