#include "shell/controls/SymbolLabel.h"

#include "shell/style/Symbols.h"

#include <QPainter>

SymbolLabel::SymbolLabel(const QString& symbol, double textSize, QColor Theme::*color, QSize frame,
                         QWidget* parent)
    : QWidget(parent), symbol_(symbol), textSize_(textSize), color_(color) {
    setFixedSize(frame);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    symbols::paint(painter, rect(), symbol_, textSize_, theme().*color_);
}
