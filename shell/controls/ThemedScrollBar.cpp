#include "shell/controls/ThemedScrollBar.h"

#include "shell/style/Theme.h"

ThemedScrollBar::ThemedScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    restyle();
}

bool ThemedScrollBar::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) restyle();
    return QScrollBar::event(event);
}

void ThemedScrollBar::restyle() {
    QColor thumb = theme().textTertiary;
    thumb.setAlphaF(0.45f);
    QColor active = theme().textSecondary;
    active.setAlphaF(0.6f);
    // A style sheet rather than painting: the style then sizes the thumb, pages on track clicks and
    // drags as every scroll bar does.
    const bool vertical = orientation() == Qt::Vertical;
    QString sheet = QStringLiteral(
        "QScrollBar:KIND { background: transparent; ACROSS: %1px; margin: 0; border: none; }"
        "QScrollBar::handle:KIND { background: %2; min-ALONG: 36px; border-radius: 3px; margin: %3; }"
        "QScrollBar::handle:KIND:hover, QScrollBar::handle:KIND:pressed { background: %4; }"
        "QScrollBar::add-line:KIND, QScrollBar::sub-line:KIND { ALONG: 0; border: none; }"
        "QScrollBar::add-page:KIND, QScrollBar::sub-page:KIND { background: none; }");
    sheet.replace(QStringLiteral("KIND"),
                  vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal"));
    sheet.replace(QStringLiteral("ACROSS"), vertical ? QStringLiteral("width") : QStringLiteral("height"));
    sheet.replace(QStringLiteral("ALONG"), vertical ? QStringLiteral("height") : QStringLiteral("width"));
    // The thumb keeps one point more room towards the content than towards the window's edge.
    const QString margin = vertical ? QStringLiteral("3px 3px 3px 1px") : QStringLiteral("1px 3px 3px 3px");
    setStyleSheet(
        sheet.arg(kThickness).arg(thumb.name(QColor::HexArgb), margin, active.name(QColor::HexArgb)));
}
