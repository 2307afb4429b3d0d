#include "shell/controls/SectionCaption.h"

#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QFont titleFont() {
    QFont font = fonts::ui(10.5, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.1);
    return font;
}

QFont trailingFont() {
    return fonts::ui(11);
}

} // namespace

SectionCaption::SectionCaption(const QString& title, const QString& trailing, QWidget* parent)
    : QWidget(parent), title_(title.toUpper()), trailing_(trailing) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SectionCaption::setTrailing(const QString& trailing) {
    trailing_ = trailing;
    updateGeometry();
    update();
}

QSize SectionCaption::sizeHint() const {
    const QFontMetricsF title(titleFont()), trail(trailingFont());
    double width = title.horizontalAdvance(title_);
    if (!trailing_.isEmpty()) width += 8 + trail.horizontalAdvance(trailing_);
    const double height = std::max(title.height(), trailing_.isEmpty() ? 0.0 : trail.height());
    return {int(std::ceil(width)), int(std::ceil(height))};
}

QSize SectionCaption::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void SectionCaption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor color = theme().textTertiary;
    const QFont tf = titleFont(), rf = trailingFont();
    const QFontMetricsF title(tf), trail(rf);
    // Both texts sit on the first baseline: the larger ascent decides it.
    const double ascent = std::max(title.ascent(), trailing_.isEmpty() ? 0.0 : trail.ascent());
    const double baseline = (height() - sizeHint().height()) / 2.0 + ascent;
    double trailingWidth = 0;
    if (!trailing_.isEmpty()) {
        trailingWidth = trail.horizontalAdvance(trailing_);
        painter.setFont(rf);
        painter.setPen(color);
        painter.drawText(QPointF(width() - trailingWidth, baseline), trailing_);
    }
    painter.setFont(tf);
    painter.setPen(color);
    const double room = width() - (trailingWidth > 0 ? trailingWidth + 8 : 0);
    painter.drawText(QPointF(0, baseline), title.elidedText(title_, Qt::ElideRight, std::max(0.0, room)));
}
