#include "shell/panels/inspector/KindChip.h"

#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>

#include <cmath>

namespace inspector {

namespace {

QFont chipFont() {
    return fonts::ui(11, QFont::Medium);
}

} // namespace

KindChip::KindChip(QWidget* parent) : QWidget(parent) {
    setFixedHeight(22);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KindChip::setKind(const QString& symbol, const QString& title) {
    symbol_ = symbol;
    title_ = title;
    updateGeometry();
    update();
}

QSize KindChip::sizeHint() const {
    const double w =
        9 + symbols::size(symbol_, 9).width() + 5 + QFontMetricsF(chipFont()).horizontalAdvance(title_) + 9;
    return {int(std::ceil(w)), 22};
}

void KindChip::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    SmoothPainter painter(this);
    shapes::fill(painter, rect(), 6, t.chip);
    const double s = symbols::size(symbol_, 9).width();
    symbols::paint(painter, QRectF(9, 0, s, height()), symbol_, 9, t.textSecondary);
    ThemedLabel::paintLine(painter, QRectF(9 + s + 5, 0, width() - 9 - s - 5, height()), title_, chipFont(),
                           t.textSecondary);
}

} // namespace inspector
