#include "visualizations/topsizes/TopSizeRow.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/controls/ShareBar.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/NodeListModel.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/PlainText.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"
#include "visualizations/topsizes/TopSizesList.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <array>
#include <utility>

namespace {

constexpr double kRankWidth = 26, kIconWidth = 50, kKindWidth = 108, kShareWidth = 64, kSizeWidth = 92;
constexpr double kBarHeight = 36, kBarRadius = 6;

QString fullPath(const FileNode& node) {
    return fromBytes(node.path());
}

} // namespace

TopSizeRow::TopSizeRow(ScanViewModel& viewModel, QObject* parent)
    : RowDelegate(kHeight, parent), viewModel_(viewModel) {}

void TopSizeRow::setList(const top_sizes::VisibleList* list, bool showsLocation) {
    list_ = list;
    showsLocation_ = showsLocation;
}

QRectF TopSizeRow::barCell(const QRectF& row) {
    const double left = row.left() + kRankWidth + kIconWidth;
    const double right = row.right() - kKindWidth - kShareWidth - kSizeWidth;
    return {left, row.center().y() - kBarHeight / 2, std::max(0.0, right - left), kBarHeight};
}

QRectF TopSizeRow::sizeRect(const QRectF& row) {
    return {row.right() - kSizeWidth, row.top(), kSizeWidth, row.height()};
}

QFont TopSizeRow::sizeFont() {
    return fonts::ui(13.5, QFont::DemiBold);
}

QColor TopSizeRow::barColor(const FileNode& node) {
    static const std::array<QColor, 7> tints = {
        QColor(191, 219, 254), QColor(221, 214, 254), QColor(167, 243, 208), QColor(253, 230, 138),
        QColor(254, 205, 211), QColor(186, 230, 253), QColor(226, 232, 240)};
    return tints[size_t(file_category::rawValue(node.dominantCategory())) % tints.size()];
}

QString TopSizeRow::kindWord(const FileNode& node) {
    if (node.isDirectory()) return formatCount(node.fileCount()) + QStringLiteral(" files");
    const std::string_view title = file_category::title(node.category);
    return QString::fromUtf8(title.data(), qsizetype(title.size()));
}

void TopSizeRow::paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const {
    const FileNode* node = NodeListModel::node(index);
    if (!node || !list_ || size_t(index.row()) >= list_->rows().size()) return;
    const size_t i = size_t(index.row());
    const Theme& t = theme();
    const QRectF r = row.rect;

    ThemedLabel::paintLine(painter, QRectF(r.left(), r.top(), kRankWidth, r.height()),
                           QString::number(list_->rank(i)), fonts::ui(11.5), t.textTertiary, Qt::AlignRight);
    symbols::paint(painter, QRectF(r.left() + kRankWidth, r.top(), kIconWidth, r.height()),
                   palette::nodeSymbol(*node), 15, t.textSecondary);

    const QRectF cell = barCell(r);
    ShareBar bar;
    bar.fraction = list_->fraction(i);
    bar.fill = barColor(*node);
    bar.track = t.track;
    bar.radius = kBarRadius;
    bar.minimumFill = 6;
    bar.name = nodeName(*node);
    bar.nameFont = fonts::ui(13.5);
    if (showsLocation_ && node->parent()) bar.detail = fullPath(*node->parent());
    bar.detailFont = fonts::ui(10.5);
    const bool selected = viewModel_.selectedNode() == node;

    // The text and the ring cross from the bar onto the track: each part takes the inks that read on
    // what lies under it (the fixed dark inks on the light bars and the light theme's track).
    ShareBar shape = bar;
    shape.name.clear(); // no text
    shape.paint(painter, cell);
    const double filled = bar.fillWidth(cell.width());
    const QRectF onBar(cell.left(), cell.top(), filled, cell.height());
    const QRectF onTrack = cell.adjusted(filled, 0, 0, 0);
    ShareBar text = bar;
    text.fill = text.track = Qt::transparent;
    for (const auto& [clip, fill] : {std::pair(onBar, bar.fill), std::pair(onTrack, bar.track)}) {
        painter.save();
        painter.setClipRect(clip, Qt::IntersectClip);
        text.nameColor = contrast::textInk(fill);
        text.detailColor = contrast::secondaryInk(fill);
        text.paint(painter, cell);
        if (selected) {
            QColor ring = text.nameColor;
            ring.setAlphaF(0.6f);
            paintRing(painter, cell, kBarRadius, ring);
        }
        painter.restore();
    }

    ThemedLabel::paintLine(painter, QRectF(cell.right(), r.top(), kKindWidth, r.height()), kindWord(*node),
                           fonts::ui(11.5), t.textTertiary, Qt::AlignRight);
    ThemedLabel::paintLine(painter, QRectF(cell.right() + kKindWidth, r.top(), kShareWidth, r.height()),
                           list_->share(i), fonts::ui(11.5), t.textTertiary, Qt::AlignRight);
    ThemedLabel::paintLine(painter, sizeRect(r), formatBytes(node->sizeOnDisk), sizeFont(), t.text,
                           Qt::AlignRight);
}

bool TopSizeRow::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                           const QModelIndex& index) {
    const FileNode* node = NodeListModel::node(index);
    if (event->type() != QEvent::ToolTip || !node) return RowDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), plain_text::toolTip(fullPath(*node)), view->viewport(),
                       option.rect);
    return true;
}
