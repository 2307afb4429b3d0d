#include "shell/controls/ThemedLineEdit.h"

#include "shell/style/Theme.h"

ThemedLineEdit::ThemedLineEdit(const QString& placeholder, const QFont& font, QWidget* parent)
    : QLineEdit(parent) {
    setFrame(false);
    setPlaceholderText(placeholder);
    setFont(font);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    applyTheme();
}

bool ThemedLineEdit::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) applyTheme();
    return QLineEdit::event(event);
}

void ThemedLineEdit::applyTheme() {
    setPalette(paletteFor(theme()));
}
