#include "shell/panels/inspector/PathLabel.h"

#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/PlainText.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QMimeData>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace inspector {

namespace {

constexpr char16_t kEllipsis = u'\u2026';

// Where the "…" of `shown` stands, when `shown` is `full` cut in the middle: -1 when nothing was cut,
// -2 when `shown` is not made that way.
qsizetype cutAt(const QString& shown, const QString& full) {
    if (shown == full) return -1;
    qsizetype common = 0;
    while (common < shown.size() && common < full.size() && shown.at(common) == full.at(common))
        ++common;
    for (qsizetype at = std::min(common, shown.size() - 1); at >= 0; --at) {
        const qsizetype right = shown.size() - at - 1;
        if (shown.at(at) == kEllipsis && at + right <= full.size() &&
            full.endsWith(QStringView(shown).mid(at + 1)))
            return at;
    }
    return -2;
}

} // namespace

QString PathLines::section(const QString& path, qsizetype from, qsizetype to) const {
    const qsizetype last = qsizetype(positions.size()) - 1;
    if (last < 0) return {};
    from = std::clamp<qsizetype>(from, 0, last);
    to = std::clamp<qsizetype>(to, 0, last);
    if (from > to) std::swap(from, to);
    return path.mid(positions[size_t(from)], positions[size_t(to)] - positions[size_t(from)]);
}

PathLines PathLabel::twoLines(const QString& text, const QFontMetricsF& metrics, double width) {
    PathLines lines;
    if (width <= 0 || metrics.horizontalAdvance(text) <= width) {
        lines.text = text;
        lines.positions.resize(size_t(text.size()) + 1);
        std::iota(lines.positions.begin(), lines.positions.end(), qsizetype(0));
        return lines;
    }
    qsizetype split = 0;
    while (split < text.size() && metrics.horizontalAdvance(text.left(split + 1)) <= width)
        ++split;
    split = std::max<qsizetype>(split, 1);
    if (split < text.size() && text.at(split).isLowSurrogate())
        split += split > 1 ? -1 : 1; // not inside a pair
    const QString rest = text.mid(split);
    const QString second = metrics.elidedText(rest, Qt::ElideMiddle, width);
    lines.text = text.left(split) + QLatin1Char('\n') + second;

    lines.positions.reserve(size_t(lines.text.size()) + 1);
    for (qsizetype i = 0; i <= split; ++i)
        lines.positions.push_back(i);
    lines.positions.push_back(split); // the line break stands for nothing
    const qsizetype cut = cutAt(second, rest);
    for (qsizetype j = 1; j <= second.size(); ++j) {
        qsizetype position = split; // a second line of unknown make stands for the rest as a whole
        if (cut == -1 || (cut >= 0 && j <= cut))
            position = split + j;
        else if (cut >= 0)
            position = text.size() - (second.size() - j); // from the "…" on: the end of the path
        lines.positions.push_back(position);
    }
    lines.positions.back() = text.size();
    return lines;
}

PathLabel::PathLabel(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(fonts::mono(11));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::ClickFocus);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    applyTheme();
}

bool PathLabel::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) applyTheme();
    return QPlainTextEdit::event(event);
}

void PathLabel::setPath(const QString& path) {
    path_ = path;
    setToolTip(plain_text::toolTip(shownText(path_)));
    layoutText();
}

void PathLabel::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    layoutText();
}

void PathLabel::wheelEvent(QWheelEvent* event) {
    event->ignore(); // nothing to scroll here: the inspector's column scrolls
}

QMimeData* PathLabel::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(lines_.section(path_, cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void PathLabel::layoutText() {
    // Shown with its control characters replaced one for one, so the positions still match the path.
    lines_ = twoLines(shownText(path_), QFontMetricsF(font()), viewport()->width() - 1);
    if (lines_.text != toPlainText()) setPlainText(lines_.text);
    const int lines = lines_.text.contains(QLatin1Char('\n')) ? 2 : 1;
    setFixedHeight(int(std::ceil(QFontMetricsF(font()).lineSpacing() * lines)));
}

void PathLabel::applyTheme() {
    QPalette p = palette();
    p.setColor(QPalette::Text, theme().textSecondary);
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Highlight, theme().ink);
    p.setColor(QPalette::HighlightedText, theme().onInk);
    setPalette(p);
}

} // namespace inspector
