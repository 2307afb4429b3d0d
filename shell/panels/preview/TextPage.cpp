#include "shell/panels/preview/TextPage.h"

#include "shell/controls/ThemedScrollBar.h"
#include "shell/style/Fonts.h"

#include <QTextDocument>

TextPage::TextPage(const QString& text, QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new ThemedScrollBar(Qt::Horizontal));
    setFont(fonts::mono(12));
    document()->setDocumentMargin(14);
    setPlainText(text);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}
