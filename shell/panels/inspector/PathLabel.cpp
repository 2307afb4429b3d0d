#include "shell/panels/inspector/PathLabel.h"

#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace inspector {

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    setFont(fonts::mono(11));
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    applyTheme();
}

bool PathLabel::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) applyTheme();
    return QLabel::event(event);
}

void PathLabel::setPath(const QString& path) {
    path_ = path;
    setToolTip(path_);
    layoutText();
}

QString PathLabel::twoLines(const QString& text, const QFontMetricsF& metrics, double width) {
    if (width <= 0 || metrics.horizontalAdvance(text) <= width) return text;
    int split = 0;
    while (split < text.size() && metrics.horizontalAdvance(text.left(split + 1)) <= width)
        ++split;
    split = std::max(split, 1);
    const QString rest = text.mid(split);
    return text.left(split) + QLatin1Char('\n') + metrics.elidedText(rest, Qt::ElideMiddle, width);
}

void PathLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    layoutText();
}

void PathLabel::layoutText() {
    const QString shown = twoLines(path_, QFontMetricsF(font()), width() - 1);
    if (shown != text()) setText(shown);
    const int lines = shown.contains(QLatin1Char('\n')) ? 2 : 1;
    setFixedHeight(int(std::ceil(QFontMetricsF(font()).lineSpacing() * lines)));
}

void PathLabel::applyTheme() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, theme().textSecondary);
    p.setColor(QPalette::Highlight, theme().ink);
    p.setColor(QPalette::HighlightedText, theme().onInk);
    setPalette(p);
}

} // namespace inspector
