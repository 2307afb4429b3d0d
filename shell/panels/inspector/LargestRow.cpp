#include "shell/panels/inspector/LargestRow.h"

#include "shell/canvas/PointerGestures.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>

#include <algorithm>

namespace inspector {

LargestRow::LargestRow(std::function<void(FileNode*)> clicked, QWidget* parent)
    : QWidget(parent), clicked_(std::move(clicked)) {
    setFixedHeight(33);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    (new PointerGestures(this))->onTap([this](QPointF) {
        clicked_(child_.node);
        return true;
    });
}

void LargestRow::setChild(const InspectorFacts::Child& child) {
    child_ = child;
    setAccessibleName(child_.name);
    update();
}

void LargestRow::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    SmoothPainter painter(this);
    const QColor color = palette::categoryColor(child_.category);
    const QFont nameFont = fonts::ui(12), sizeFont = fonts::ui(11.5, QFont::DemiBold);
    const double lineHeight = QFontMetricsF(nameFont).height();
    const double top = (height() - (lineHeight + 5 + 3)) / 2;
    const QRectF line(0, top, width(), lineHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, line.center().y() - 3.5, 7, 7));
    const double sizeWidth =
        ThemedLabel::paintLine(painter, line, child_.size, sizeFont, t.text, Qt::AlignRight);
    ThemedLabel::paintLine(painter,
                           QRectF(15, line.top(), std::max(0.0, width() - 15 - 8 - sizeWidth), lineHeight),
                           child_.name, nameFont, t.text, Qt::AlignLeft, Qt::ElideMiddle);
    const QRectF bar(0, line.bottom() + 5, width(), 3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(t.track);
    painter.drawPath(shapes::capsule(bar));
    painter.setBrush(color);
    painter.drawPath(
        shapes::capsule(QRectF(bar.left(), bar.top(), std::max(3.0, bar.width() * child_.fraction), 3)));
}

} // namespace inspector
