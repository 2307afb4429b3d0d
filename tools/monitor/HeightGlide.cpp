#include "tools/monitor/HeightGlide.h"

#include "shell/style/Motion.h"

#include <QWidget>

HeightGlide::HeightGlide(QWidget* widget)
    : widget_(widget), minimum_(widget->minimumHeight()), maximum_(widget->maximumHeight()) {}

void HeightGlide::glide(int from, int to, std::function<void()> done) {
    gliding_ = true;
    motion::animate(
        widget_, "height", from, to, motion::showMore(),
        [this](const QVariant& height) { widget_->setFixedHeight(height.toInt()); },
        [this, done = std::move(done)] {
            gliding_ = false;
            widget_->setMinimumHeight(minimum_);
            widget_->setMaximumHeight(maximum_);
            if (done) done();
        });
}
