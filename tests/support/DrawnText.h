#pragma once

#include <QString>
#include <QTextDocument>

// A tool tip's text (or a label's in Qt's automatic format) as Qt draws it: read as rich text when it
// looks like markup, as QToolTip and QLabel decide, else as it stands.
inline QString drawnText(const QString& text) {
    if (!Qt::mightBeRichText(text)) return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}
