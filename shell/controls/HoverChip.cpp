#include "shell/controls/HoverChip.h"

#include "model/FileNode.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPadding = 14, kSpacing = 10, kCapsulePadding = 10, kCapsuleHeight = 24;

QFont nameFont() {
    return fonts::ui(12.5, QFont::DemiBold);
}
QFont sizeFont() {
    return fonts::ui(12, QFont::DemiBold);
}
QFont shareFont() {
    return fonts::ui(11.5);
}
QFont countFont() {
    return fonts::ui(11, QFont::Medium);
}

double advance(const QFont& font, const QString& text) {
    return QFontMetricsF(font).horizontalAdvance(text);
}

} // namespace

HoverChip::HoverChip(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
}

void HoverChip::setNode(const FileNode* node, int64_t scanSize) {
    node_ = node;
    if (!node) {
        hide();
        return;
    }
    symbol_ = palette::nodeSymbol(*node);
    name_ = nodeName(*node);
    size_ = formatBytes(node->sizeOnDisk);
    share_ = formatPercent(node->sizeOnDisk, scanSize);
    count_ = node->isDirectory() ? formatCount(node->fileCount()) + QStringLiteral(" files") : QString();
    resize(sizeHint());
    show();
    update();
}

double HoverChip::contentWidth(double nameWidth) const {
    double w = kPadding + symbols::size(symbol_, 12).width() + kSpacing + nameWidth + kSpacing +
               advance(sizeFont(), size_) + kSpacing + advance(shareFont(), share_);
    if (!count_.isEmpty()) w += kSpacing + kCapsulePadding * 2 + advance(countFont(), count_);
    return w + kPadding;
}

QSize HoverChip::sizeHint() const {
    double width = 2 * kMargin + contentWidth(advance(nameFont(), name_));
    // Never wider than the canvas it floats over: the name gives way.
    if (parentWidget()) width = std::min(width, double(parentWidget()->width()));
    return {int(std::ceil(width)), kChipHeight + 2 * kMargin};
}

void HoverChip::paintEvent(QPaintEvent*) {
    if (!node_) return;
    const Theme& t = theme();
    SmoothPainter painter(this);
    const QRectF chip(kMargin, kMargin, width() - 2 * kMargin, kChipHeight);
    shapes::paintShadow(painter, chip, 11, QColor(0, 0, 0, 20), 10, QPointF(0, 3));
    shapes::fill(painter, chip, 11, t.card);
    shapes::strokeInside(painter, chip, 11, t.border);

    const double centreY = chip.center().y();
    auto drawText = [&](double x, const QFont& font, const QColor& color, const QString& text) {
        const QFontMetricsF m(font);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QPointF(x, centreY + (m.ascent() - m.descent()) / 2), text);
        return x + m.horizontalAdvance(text);
    };

    const double fixed = contentWidth(0);
    const double nameRoom = std::max(0.0, chip.width() - fixed);
    double x = chip.left() + kPadding;
    const double symbolWidth = symbols::size(symbol_, 12).width();
    symbols::paint(painter, QRectF(x, chip.top(), symbolWidth, chip.height()), symbol_, 12, t.textSecondary);
    x += symbolWidth + kSpacing;
    x = drawText(x, nameFont(), t.text,
                 QFontMetricsF(nameFont()).elidedText(name_, Qt::ElideRight, nameRoom));
    x = std::max(x, chip.left() + kPadding + symbolWidth + kSpacing) + kSpacing;
    x = drawText(x, sizeFont(), t.text, size_) + kSpacing;
    x = drawText(x, shareFont(), t.textTertiary, share_);
    if (!count_.isEmpty()) {
        x += kSpacing;
        const double w = kCapsulePadding * 2 + advance(countFont(), count_);
        const QRectF capsule(x, centreY - kCapsuleHeight / 2, w, kCapsuleHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(t.chip);
        painter.drawPath(shapes::capsule(capsule));
        drawText(x + kCapsulePadding, countFont(), t.textSecondary, count_);
    }
}
