#include "shell/style/PlainText.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <QToolTip>

#include <algorithm>

namespace plain_text {
namespace {

// The tip's frame and margins, and the document's, around its text.
constexpr double kTipPadding = 24;

// The width a line of a tool tip may take: the narrowest screen's, since a tip set now may show on any.
double lineRoom() {
    int width = 0;
    for (const QScreen* screen : QGuiApplication::screens())
        width = width == 0 ? screen->availableGeometry().width()
                           : std::min(width, screen->availableGeometry().width());
    return width > 0 ? width - kTipPadding : 0;
}

// A line that fits, or its start and its last component around an ellipsis: a path cut at its end
// would never show the file's name.
QString fitted(const QString& line, const QFontMetricsF& metrics, double room) {
    if (room <= 0 || metrics.horizontalAdvance(line) <= room) return line;
    const qsizetype slash = line.lastIndexOf(QLatin1Char('/'));
    const QString last = slash > 0 ? line.mid(slash) : QString();
    const double lastWidth = metrics.horizontalAdvance(QChar(0x2026) + last);
    if (last.isEmpty() || lastWidth > room) return metrics.elidedText(line, Qt::ElideMiddle, room);
    return metrics.elidedText(line.left(slash), Qt::ElideRight, room - metrics.horizontalAdvance(last)) +
           last;
}

} // namespace

QString toolTip(const QString& text) {
    if (text.isEmpty()) return text;
    const QFontMetricsF metrics(QToolTip::font());
    const double room = lineRoom();
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = fitted(line, metrics, room);
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QLatin1Char('\n')).toHtmlEscaped() +
           QStringLiteral("</p>");
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
