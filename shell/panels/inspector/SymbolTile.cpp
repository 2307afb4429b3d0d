#include "shell/panels/inspector/SymbolTile.h"

#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QPainter>

namespace inspector {

SymbolTile::SymbolTile(QWidget* parent) : QWidget(parent) {
    setFixedSize(63, 63);
}

void SymbolTile::setSymbol(const QString& symbol, bool isFolder, FileCategory category) {
    symbol_ = symbol;
    isFolder_ = isFolder;
    category_ = category;
    update();
}

void SymbolTile::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    shapes::fill(painter, rect(), 14, t.chip);
    QColor tint = palette::categoryColor(category_);
    if (isFolder_) {
        tint = t.textTertiary;
        tint.setAlphaF(tint.alphaF() * 0.55f);
    }
    symbols::paint(painter, rect(), symbol_, 22.5, tint);
}

} // namespace inspector
