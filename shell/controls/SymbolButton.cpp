#include "shell/controls/SymbolButton.h"

#include "shell/style/Symbols.h"

#include <QPainter>

SymbolButton::SymbolButton(const QString& symbol, double symbolSize, QSize frame, QColor Theme::*color,
                           std::function<void()> action, QWidget* parent)
    : PressableButton(parent), symbol_(symbol), symbolSize_(symbolSize), frame_(frame), color_(color) {
    setAction(std::move(action));
    setAccessibleName(symbol);
    setFixedSize(frame);
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The disabled look is the symbol's own, not the shared dimming.
    PressableStyle::apply(painter, rect(), pressAmount(), true);
    if (!isEnabled()) painter.setOpacity(painter.opacity() * 0.5);
    paintContent(painter);
}

void SymbolButton::paintContent(QPainter& painter) {
    const Theme& t = theme();
    symbols::paint(painter, rect(), symbol_, symbolSize_, isEnabled() ? t.*color_ : t.textTertiary);
}
