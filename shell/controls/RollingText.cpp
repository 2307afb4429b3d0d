#include "shell/controls/RollingText.h"

#include "shell/style/Motion.h"
#include "shell/style/SmoothPainter.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace rolling_text {

namespace {

struct Run {
    bool number;
    qsizetype start, length;
};

bool isSeparator(QChar c) {
    return c == u',' || c == u'.' || c == QChar(0x00a0) || c == QChar(0x202f) || c == u'\'';
}

// Numbers (digits, with the separators that stand between digits) and the text between them.
std::vector<Run> runs(const QString& text) {
    std::vector<Run> out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const bool number = text[i].isDigit();
        qsizetype end = i + 1;
        if (number) {
            while (end < n && (text[end].isDigit() ||
                               (isSeparator(text[end]) && end + 1 < n && text[end + 1].isDigit())))
                ++end;
        } else {
            while (end < n && !text[end].isDigit())
                ++end;
        }
        out.push_back({number, i, end - i});
        i = end;
    }
    return out;
}

} // namespace

std::vector<Glyph> plan(const QString& before, const QString& after) {
    std::vector<Glyph> glyphs(size_t(after.size()));
    for (qsizetype i = 0; i < after.size(); ++i)
        glyphs[size_t(i)].now = after[i];
    const std::vector<Run> old = runs(before), now = runs(after);
    const bool alike = old.size() == now.size() &&
                       std::equal(old.begin(), old.end(), now.begin(),
                                  [](const Run& a, const Run& b) { return a.number == b.number; });
    if (!alike) {
        for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
            glyphs[size_t(i)].before = before[i];
        return glyphs;
    }
    for (size_t r = 0; r < now.size(); ++r) {
        const Run &a = old[r], &b = now[r];
        for (qsizetype j = 0; j < b.length; ++j) {
            // A number's last digits pair; a word's first letters.
            const qsizetype k = b.number ? a.length - (b.length - j) : j;
            if (k >= 0 && k < a.length) glyphs[size_t(b.start + j)].before = before[a.start + k];
        }
    }
    return glyphs;
}

} // namespace rolling_text

RollingText::RollingText(QWidget* owner) : owner_(owner) {}

void RollingText::setText(const QString& text) {
    if (text == text_) return;
    glyphs_ = rolling_text::plan(text_, text);
    text_ = text;
    progress_ = 1;
    owner_->update();
    if (!owner_->isVisible()) return;
    progress_ = 0;
    motion::animate(owner_, "numericText", 0.0, 1.0, motion::numericText(), [this](const QVariant& value) {
        progress_ = value.toDouble();
        owner_->update();
    });
}

void RollingText::paint(QPainter& painter, QPointF origin, const QFont& font, const QColor& color) const {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    if (progress_ >= 1) {
        painter.drawText(origin, text_);
        painter.restore();
        return;
    }
    const QFontMetricsF metrics(font);
    const double rise = std::round(metrics.ascent() * 0.6);
    const double t = std::clamp(progress_, 0.0, 1.0);
    const double opacity = painter.opacity();
    for (size_t i = 0; i < glyphs_.size(); ++i) {
        const rolling_text::Glyph& g = glyphs_[i];
        const double x = origin.x() + metrics.horizontalAdvance(text_.left(qsizetype(i)));
        if (!g.rolls()) {
            painter.setOpacity(opacity);
            painter.drawText(QPointF(x, origin.y()), QString(g.now));
            continue;
        }
        // The old character leaves upwards as the new one comes up from below.
        if (!g.before.isNull()) {
            painter.setOpacity(opacity * (1 - t));
            painter.drawText(QPointF(x, origin.y() - rise * t), QString(g.before));
        }
        painter.setOpacity(opacity * t);
        painter.drawText(QPointF(x, origin.y() + rise * (1 - t)), QString(g.now));
    }
    painter.restore();
}

RollingLabel::RollingLabel(const QString& text, const QFont& font, Role role, QWidget* parent)
    : QWidget(parent), font_(font), role_(role), text_(this) {
    text_.setText(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void RollingLabel::setText(const QString& text) {
    text_.setText(text);
    updateGeometry();
}

QSize RollingLabel::sizeHint() const {
    const QFontMetricsF metrics(font_);
    return {int(std::ceil(metrics.horizontalAdvance(text_.text()))), int(std::ceil(metrics.height()))};
}

void RollingLabel::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    const QFontMetricsF metrics(font_);
    const double width = metrics.horizontalAdvance(text_.text());
    const QPointF origin((this->width() - width) / 2, (height() - metrics.height()) / 2 + metrics.ascent());
    text_.paint(painter, origin, font_, theme().*role_);
}
