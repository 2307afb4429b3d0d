#include "shell/controls/FileTile.h"

#include "model/FileNode.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/ItemMark.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

QString FileTile::subtitle(const FileNode& node) {
    const std::string_view title = file_category::title(node.category);
    return QString::fromUtf8(title.data(), qsizetype(title.size())) + QStringLiteral(" · ") +
           relativeDateString(dateFromStamp(node.modifiedStamp));
}

void FileTile::paint(QPainter& painter, const QRectF& rect, const FileNode& node, bool selected,
                     const Theme& t) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    shapes::fill(painter, rect, 12, t.card);
    if (selected)
        ItemMark(t.card, t.background, t).paint(painter, shapes::continuousRoundedRect(rect, 12));
    else
        shapes::strokeInside(painter, rect, 12, t.border, 1);

    const QRectF row = rect.adjusted(12, 0, -12, 0);
    const QRectF box(row.left(), rect.center().y() - 19, 38, 38);
    QColor tint = palette::categoryColor(node.category);
    tint.setAlphaF(0.35f);
    shapes::fill(painter, box, 8, tint);
    symbols::paint(painter, box, palette::categorySymbol(node.category), 13,
                   contrast::secondaryInk(color_blend::over(tint, t.card)));

    const QFont nameFont = fonts::ui(12.5, QFont::Medium), subFont = fonts::ui(10.5),
                sizeFont = fonts::ui(12, QFont::DemiBold);
    const double sizeWidth =
        ThemedLabel::paintLine(painter, row, formatBytes(node.sizeOnDisk), sizeFont, t.text, Qt::AlignRight);
    const double x = box.right() + 12;
    const double textWidth = std::max(0.0, row.right() - sizeWidth - 6 - x);
    const double nameHeight = QFontMetricsF(nameFont).height(), subHeight = QFontMetricsF(subFont).height();
    const double top = rect.center().y() - (nameHeight + 2 + subHeight) / 2;
    ThemedLabel::paintLine(painter, QRectF(x, top, textWidth, nameHeight), nodeName(node), nameFont, t.text,
                           Qt::AlignLeft, Qt::ElideMiddle);
    ThemedLabel::paintLine(painter, QRectF(x, top + nameHeight + 2, textWidth, subHeight), subtitle(node),
                           subFont, t.textTertiary);
    painter.restore();
}
