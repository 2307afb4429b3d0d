#include "shell/style/PlainText.h"

#include <QLabel>
#include <QMessageBox>

namespace plain_text {

QString toolTip(const QString& text) {
    if (text.isEmpty()) return text;
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void setPlain(QLabel& label) {
    label.setTextFormat(Qt::PlainText);
}

void setMessage(QMessageBox& box, const QString& text, const QString& informativeText) {
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setInformativeText(informativeText);
    // The box sets no format on the label it makes for the informative text.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) setPlain(*label);
}

} // namespace plain_text
