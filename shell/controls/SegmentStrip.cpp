#include "shell/controls/SegmentStrip.h"

#include "shell/controls/LabelRow.h"
#include "shell/controls/PressableButton.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"
#include "shell/style/Shapes.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace {

QRectF mix(const QRectF& a, const QRectF& b, double t) {
    return {a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
            a.height() + (b.height() - a.height()) * t};
}

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(
        float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
        float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

} // namespace

SegmentStrip::SegmentStrip(std::vector<Segment> segments, Style style, Titles titles, QWidget* parent)
    : QWidget(parent), segments_(std::move(segments)), style_(style), titles_(titles), fromTitles_(titles) {
    const motion::Curve curve = motion::tabChange();
    glideMs_ = curve.durationMs;
    glideEasing_ = curve.easing;
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

void SegmentStrip::setGlideCurve(int durationMs, const QEasingCurve& easing) {
    glideMs_ = durationMs;
    glideEasing_ = easing;
}

void SegmentStrip::setSelected(int index) {
    if (index < 0 || index >= count() || index == selected_) return;
    const int old = selected_;
    selected_ = index;
    startTransition(old, titles_);
}

void SegmentStrip::setTitles(Titles titles) {
    if (titles == titles_) return;
    // A change of form follows the width at once; only a new selection glides.
    titles_ = fromTitles_ = titles;
    fromSelected_ = selected_;
    progress_ = 1;
    updateGeometry();
    update();
}

void SegmentStrip::setStyle(const Style& style) {
    style_ = style;
    progress_ = 1;
    updateGeometry();
    update();
}

void SegmentStrip::startTransition(int oldSelected, Titles oldTitles) {
    fromSelected_ = oldSelected;
    fromTitles_ = oldTitles;
    updateGeometry();
    if (!style_.glide) {
        progress_ = 1;
        update();
        return;
    }
    progress_ = 0;
    motion::animate(this, "glide", 0.0, 1.0, motion::Curve{glideMs_, glideEasing_},
                    [this](const QVariant& v) {
                        progress_ = v.toDouble();
                        update();
                    });
}

bool SegmentStrip::titleShown(int index, int selected, Titles titles) const {
    if (segments_[size_t(index)].title.isEmpty()) return false;
    switch (titles) {
    case Titles::all:
        return true;
    case Titles::selectedOnly:
        return index == selected;
    case Titles::none:
        return false;
    }
    return false;
}

bool SegmentStrip::showsTitle(int index) const {
    return titleShown(index, selected_, titles_);
}

QFont SegmentStrip::titleFont(bool selected, const Style& style) {
    return fonts::ui(style.titleSize, selected ? style.selectedWeight : style.normalWeight);
}

double SegmentStrip::segmentWidth(int index, int selected, Titles titles, const Style& style) const {
    const Segment& s = segments_[size_t(index)];
    const bool isSelected = index == selected;
    const LabelRow row{s.symbol, style.symbolSize, titleShown(index, selected, titles) ? s.title : QString(),
                       titleFont(isSelected, style), style.iconSpacing};
    return std::ceil(row.width()) + 2 * (isSelected ? style.padSelected : style.padNormal);
}

std::vector<QRectF> SegmentStrip::layout(int selected, Titles titles) const {
    std::vector<QRectF> rects;
    double x = style_.inset;
    for (int i = 0; i < count(); ++i) {
        const double w = segmentWidth(i, selected, titles, style_);
        rects.emplace_back(x, style_.inset, w, style_.height);
        x += w + style_.spacing;
    }
    return rects;
}

double SegmentStrip::idealWidth(Titles titles, const Style& style) const {
    double w = 2 * style.inset + style.spacing * std::max(0, count() - 1);
    for (int i = 0; i < count(); ++i)
        w += segmentWidth(i, selected_, titles, style);
    return w;
}

QSize SegmentStrip::sizeHint() const {
    return {int(std::ceil(idealWidth(titles_))), int(std::ceil(style_.height + 2 * style_.inset))};
}

QRectF SegmentStrip::selectionRect() const {
    const auto to = layout(selected_, titles_);
    if (progress_ >= 1) return to[size_t(selected_)];
    return mix(layout(fromSelected_, fromTitles_)[size_t(fromSelected_)], to[size_t(selected_)], progress_);
}

int SegmentStrip::segmentAt(QPointF point) const {
    const auto rects = segmentRects();
    for (int i = 0; i < int(rects.size()); ++i)
        if (rects[size_t(i)]
                .adjusted(-style_.spacing / 2, -style_.inset, style_.spacing / 2, style_.inset)
                .contains(point))
            return i;
    return -1;
}

bool SegmentStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int i = segmentAt(help->pos());
        if (i >= 0 && !segments_[size_t(i)].help.isEmpty())
            QToolTip::showText(help->globalPos(), segments_[size_t(i)].help, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void SegmentStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = segmentAt(event->position());
    update();
}

void SegmentStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int was = pressed_;
    pressed_ = -1;
    update();
    if (was >= 0 && segmentAt(event->position()) == was) emit activated(was);
}

void SegmentStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme& t = theme();
    const QRectF bounds(0, 0, width(), height());
    switch (style_.frame) {
    case Frame::none:
        break;
    case Frame::cardCapsule:
        painter.fillPath(shapes::capsule(bounds), t.card);
        shapes::strokeInside(painter, bounds, bounds.height() / 2, t.border);
        break;
    case Frame::outlinedRect:
        shapes::strokeInside(painter, bounds, style_.frameRadius, t.border);
        break;
    }

    const auto to = layout(selected_, titles_);
    const auto from = progress_ < 1 ? layout(fromSelected_, fromTitles_) : to;
    auto rectOf = [&](int i) { return mix(from[size_t(i)], to[size_t(i)], progress_); };

    // The selection slides from the old segment's place to the new one's, under every label, so that
    // none is hidden while it glides past.
    painter.save();
    if (pressed_ == selected_) PressableStyle::apply(painter, rectOf(selected_), 1.0);
    const QRectF selection = selectionRect();
    const QColor fill = t.*style_.selectionFill;
    if (style_.selectionRadius < 0)
        painter.fillPath(shapes::capsule(selection), fill);
    else
        shapes::fill(painter, selection, style_.selectionRadius, fill);
    painter.restore();

    const QColor selectedColor = t.*style_.selectedText, normalColor = t.*style_.normalText;
    for (int i = 0; i < count(); ++i) {
        painter.save();
        const QRectF r = rectOf(i);
        if (i == pressed_) PressableStyle::apply(painter, r, 1.0);
        // Each segment's share of the selected look: 1 for the new selection at the end.
        double selectedShare = 0;
        if (i == selected_) selectedShare += progress_;
        if (i == fromSelected_) selectedShare += 1 - progress_;
        const bool shownBefore = titleShown(i, fromSelected_, fromTitles_);
        const bool shownNow = titleShown(i, selected_, titles_);
        const double textOpacity =
            shownNow ? (shownBefore ? 1.0 : progress_) : (shownBefore ? 1 - progress_ : 0.0);
        const Segment& s = segments_[size_t(i)];
        const LabelRow row{s.symbol, style_.symbolSize, textOpacity > 0 ? s.title : QString(),
                           titleFont(selectedShare > 0.5), style_.iconSpacing};
        row.paint(painter, r, mix(normalColor, selectedColor, std::clamp(selectedShare, 0.0, 1.0)),
                  textOpacity);
        painter.restore();
    }
}
