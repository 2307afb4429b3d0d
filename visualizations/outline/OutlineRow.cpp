#include "visualizations/outline/OutlineRow.h"

#include "model/FileNode.h"
#include "shell/controls/ShareBar.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/NodeListModel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QPainter>

namespace {

constexpr double kIconWidth = 18, kSpacing = 10, kBarWidth = 110, kBarHeight = 6, kShareWidth = 58,
                 kSizeWidth = 80;

} // namespace

OutlineRow::OutlineRow(QObject* parent) : RowDelegate(kHeight, parent) {}

QRectF OutlineRow::barRect(const QRectF& row) {
    const double right = row.right() - kSizeWidth - kSpacing - kShareWidth - kSpacing;
    return {right - kBarWidth, row.center().y() - kBarHeight / 2, kBarWidth, kBarHeight};
}

QRectF OutlineRow::sizeRect(const QRectF& row) {
    return {row.right() - kSizeWidth, row.top(), kSizeWidth, row.height()};
}

QFont OutlineRow::sizeFont() {
    return fonts::ui(11.5, QFont::DemiBold);
}

void OutlineRow::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const FileNode* node = NodeListModel::node(index);
    if (!node) return;
    const Theme& t = theme();
    const QRectF r = row.rect;
    if (row.selected) paintHoverFill(painter, r.adjusted(0, 1, 0, -1), 6);

    const QRectF icon(r.left(), r.top(), kIconWidth, r.height());
    if (node->isDirectory())
        symbols::paint(painter, icon, QStringLiteral("folder.fill"), 11.5, t.textTertiary);
    else
        symbols::paint(painter, icon, palette::categorySymbol(node->category), 11.5,
                       palette::categoryColor(node->category));

    const QRectF bar = barRect(r);
    const double nameLeft = icon.right() + kSpacing;
    ThemedLabel::paintLine(
        painter, QRectF(nameLeft, r.top(), std::max(0.0, bar.left() - kSpacing - nameLeft), r.height()),
        nodeName(*node), fonts::ui(12), t.text);

    const FileNode* parent = node->parent();
    ShareBar share;
    share.fraction =
        parent && parent->sizeOnDisk > 0 ? double(node->sizeOnDisk) / double(parent->sizeOnDisk) : 0;
    share.fill = palette::categoryColor(node->dominantCategory());
    share.track = t.track;
    share.minimumFill = 2;
    share.paint(painter, bar);

    const QRectF shareText(bar.right() + kSpacing, r.top(), kShareWidth, r.height());
    ThemedLabel::paintLine(painter, shareText,
                           formatPercent(node->sizeOnDisk, parent ? parent->sizeOnDisk : node->sizeOnDisk),
                           fonts::ui(11), t.textTertiary, Qt::AlignRight);
    ThemedLabel::paintLine(painter, sizeRect(r), formatBytes(node->sizeOnDisk), sizeFont(), t.text,
                           Qt::AlignRight);
}
