#include "shell/panels/inspector/SizeLine.h"

#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace inspector {

namespace {

QFont sizeFont() {
    return fonts::ui(30.5, QFont::Bold);
}

QFont shareFont() {
    return fonts::ui(12);
}

} // namespace

SizeLine::SizeLine(QWidget* parent) : QWidget(parent) {
    setFixedHeight(int(std::ceil(QFontMetricsF(sizeFont()).height())));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SizeLine::setSize(const QString& size, const QString& share) {
    size_ = size;
    share_ = share;
    update();
}

void SizeLine::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFontMetricsF big(sizeFont());
    const double baseline = big.ascent();
    painter.setFont(sizeFont());
    painter.setPen(t.text);
    painter.drawText(QPointF(0, baseline), size_);
    const double x = big.horizontalAdvance(size_) + 8;
    const QFontMetricsF small(shareFont());
    painter.setFont(shareFont());
    painter.setPen(t.textSecondary);
    painter.drawText(QPointF(x, baseline),
                     small.elidedText(share_, Qt::ElideRight, std::max(0.0, width() - x)));
}

} // namespace inspector
