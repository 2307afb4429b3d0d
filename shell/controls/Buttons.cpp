#include "shell/controls/Buttons.h"

#include "shell/controls/LabelRow.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace {

int ceilInt(double v) {
    return int(std::ceil(v));
}

} // namespace

// ---- WideButton ---------------------------------------------------------------------------------

WideButton::WideButton(const QString& title, const QString& systemImage, double height, double fontSize,
                       double symbolShrink, double spacing, std::function<void()> action, QWidget* parent)
    : PressableButton(parent), height_(height), fontSize_(fontSize), title_(title), image_(systemImage),
      symbolShrink_(symbolShrink), spacing_(spacing) {
    setAction(std::move(action));
    setAccessibleName(title);
    setFixedHeight(ceilInt(height));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WideButton::setTitle(const QString& title) {
    title_ = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

void WideButton::setSystemImage(const QString& name) {
    image_ = name;
    updateGeometry();
    update();
}

QSize WideButton::sizeHint() const {
    const LabelRow row{shownImage(), fontSize_ - symbolShrink_, shownTitle(),
                       fonts::ui(fontSize_, QFont::DemiBold), spacing_};
    return {ceilInt(row.width() + 2 * 16), ceilInt(height_)};
}

QSize WideButton::minimumSizeHint() const {
    return {ceilInt(height_), ceilInt(height_)};
}

void WideButton::paintLabel(QPainter& painter, const QString& image, const QString& title,
                            const QColor& color) const {
    LabelRow{image, fontSize_ - symbolShrink_, title, fonts::ui(fontSize_, QFont::DemiBold), spacing_}.paint(
        painter, rect(), color);
}

// ---- OutlineButton ------------------------------------------------------------------------------

OutlineButton::OutlineButton(const Options& options, std::function<void()> action, QWidget* parent)
    : WideButton(options.title, options.systemImage, options.height, options.fontSize, 1.5, 8,
                 std::move(action), parent),
      confirmTitle_(options.confirmTitle), confirmImage_(options.confirmImage),
      confirmDuration_(options.confirmDuration) {}

QString OutlineButton::shownTitle() const {
    return confirming_ && !confirmTitle_.isEmpty() ? confirmTitle_ : title();
}

QString OutlineButton::shownImage() const {
    return confirming_ && !confirmImage_.isEmpty() ? confirmImage_ : systemImage();
}

void OutlineButton::activate() {
    PressableButton::activate();
    if (confirmTitle_.isEmpty()) return;
    setConfirming(true);
    // Not cancelled by a later click: the confirmation ends confirmDuration after the first one.
    QTimer::singleShot(int(std::lround(confirmDuration_ * 1000)), this, [this] { setConfirming(false); });
}

void OutlineButton::setConfirming(bool on) {
    if (on == confirming_) return;
    fadingTitle_ = shownTitle();
    fadingImage_ = shownImage();
    confirming_ = on;
    updateGeometry();
    motion::animate(this, "confirm", 0.0, 1.0, motion::confirmation(), [this](const QVariant& v) {
        fade_ = v.toDouble();
        update();
    });
}

void OutlineButton::paintContent(QPainter& painter) {
    const Theme& t = theme();
    shapes::fill(painter, rect(), 8, t.card);
    shapes::strokeInside(painter, rect(), 8, t.border);
    const double base = painter.opacity();
    if (fade_ < 1) {
        painter.setOpacity(base * (1 - fade_));
        paintLabel(painter, fadingImage_, fadingTitle_, t.text);
    }
    painter.setOpacity(base * fade_);
    paintLabel(painter, shownImage(), shownTitle(), t.text);
    painter.setOpacity(base);
}

// ---- InkButton ----------------------------------------------------------------------------------

InkButton::InkButton(const QString& title, const QString& systemImage, double height, double fontSize,
                     std::function<void()> action, QWidget* parent)
    : WideButton(title, systemImage, height, fontSize, 1, 10, std::move(action), parent) {}

void InkButton::paintContent(QPainter& painter) {
    const Theme& t = theme();
    shapes::fill(painter, rect(), 10, t.ink);
    paintLabel(painter, shownImage(), shownTitle(), t.onInk);
}

// ---- SquareIconButton ---------------------------------------------------------------------------

SquareIconButton::SquareIconButton(const QString& systemImage, const QString& label, double size,
                                   std::function<void()> action, QWidget* parent)
    : PressableButton(parent), image_(systemImage), label_(label), size_(size) {
    setAction(std::move(action));
    setAccessibleName(label.isEmpty() ? systemImage : label);
    setFixedSize(ceilInt(size), 32);
}

void SquareIconButton::setSystemImage(const QString& name) {
    image_ = name;
    update();
}

QSize SquareIconButton::sizeHint() const {
    return {ceilInt(size_), 32};
}

void SquareIconButton::paintContent(QPainter& painter) {
    const Theme& t = theme();
    const QRectF r = rect();
    shapes::fill(painter, r, 8, t.chip);
    shapes::strokeInside(painter, r, 8, t.border);
    if (!image_.isEmpty()) {
        symbols::paint(painter, r, image_, 12, t.text);
    } else if (!label_.isEmpty()) {
        LabelRow{{}, 0, label_, fonts::ui(11.5, QFont::Bold), 0}.paint(painter, r, t.text);
    }
}
