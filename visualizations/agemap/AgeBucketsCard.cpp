#include "visualizations/agemap/AgeBucketsCard.h"

#include "model/AgeReport.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRowHeight = 27.5, kTrackHeight = 17;
constexpr double kLabelWidth = 132, kSizeWidth = 100, kShareWidth = 74;
constexpr int kLeft = 16, kTop = 14, kRight = 16, kBottom = 12, kCaptionGap = 8;

int rowsHeight() {
    return int(std::ceil(AgeBucketsCard::kBuckets * kRowHeight));
}

} // namespace

AgeBucketsCard::AgeBucketsCard(QWidget* parent)
    : CardBackground(14, parent), caption_(new SectionCaption("How old are these bytes?", formatBytes(0))) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kLeft, kTop, kRight, kBottom);
    column->setSpacing(0);
    column->addWidget(caption_);
    column->addSpacing(kCaptionGap);
    column->addSpacing(rowsHeight()); // the rows are painted there
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

const std::array<QString, AgeBucketsCard::kBuckets>& AgeBucketsCard::labels() {
    static const std::array<QString, kBuckets> texts{"Last 7 days",      "8\u201330 days", "1\u20133 months",
                                                     "3\u201312 months", "1\u20132 years", "Over 2 years"};
    return texts;
}

double AgeBucketsCard::fillWidth(int64_t bytes, int64_t largest, double trackWidth) {
    if (bytes <= 0) return 0;
    const double scale = double(std::max<int64_t>(largest, 1));
    return std::min(trackWidth, std::max(trackWidth * double(bytes) / scale, 4.0));
}

void AgeBucketsCard::setReport(const AgeReport& report) {
    buckets_ = report.buckets;
    total_ = report.total;
    caption_->setTrailing(formatBytes(total_));
    update();
}

QSize AgeBucketsCard::sizeHint() const {
    return {kLeft + int(kLabelWidth + kSizeWidth + kShareWidth) + 60 + kRight,
            kTop + caption_->sizeHint().height() + kCaptionGap + rowsHeight() + kBottom};
}

QSize AgeBucketsCard::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

QRectF AgeBucketsCard::rowRect(int bucket) const {
    const double top = kTop + caption_->sizeHint().height() + kCaptionGap + bucket * kRowHeight;
    return {double(kLeft), top, double(width() - kLeft - kRight), kRowHeight};
}

QRectF AgeBucketsCard::trackRect(int bucket) const {
    const QRectF row = rowRect(bucket);
    const double width = std::max(0.0, row.width() - kLabelWidth - kSizeWidth - kShareWidth);
    return {row.left() + kLabelWidth, row.center().y() - kTrackHeight / 2, width, kTrackHeight};
}

void AgeBucketsCard::paintEvent(QPaintEvent* event) {
    CardBackground::paintEvent(event);
    const Theme& t = theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int64_t largest = *std::max_element(buckets_.begin(), buckets_.end());
    const QFont labelFont = fonts::ui(12.5), sizeFont = fonts::ui(12.5, QFont::DemiBold),
                shareFont = fonts::ui(11.5);
    QColor trackColor = t.track;
    trackColor.setAlphaF(0.7f);
    for (int i = 0; i < kBuckets; ++i) {
        const QRectF row = rowRect(i);
        ThemedLabel::paintLine(painter, QRectF(row.left(), row.top(), kLabelWidth, row.height()),
                               labels()[size_t(i)], labelFont, t.textSecondary);

        const QRectF track = trackRect(i);
        painter.setPen(Qt::NoPen);
        painter.setBrush(trackColor);
        painter.drawPath(shapes::capsule(track));
        if (const double fill = fillWidth(buckets_[size_t(i)], largest, track.width()); fill > 0) {
            const QColor color = palette::agePalette()[size_t(i)];
            QColor faded = color;
            faded.setAlphaF(0.62f);
            const QRectF bar(track.left(), track.top(), fill, track.height());
            QLinearGradient gradient(bar.topLeft(), bar.topRight());
            gradient.setColorAt(0, color);
            gradient.setColorAt(1, faded);
            painter.setBrush(gradient);
            painter.drawPath(shapes::capsule(bar));
        }

        const double sizeLeft = track.right();
        ThemedLabel::paintLine(painter, QRectF(sizeLeft, row.top(), kSizeWidth, row.height()),
                               formatBytes(buckets_[size_t(i)]), sizeFont, t.text, Qt::AlignRight);
        ThemedLabel::paintLine(painter, QRectF(sizeLeft + kSizeWidth, row.top(), kShareWidth, row.height()),
                               formatPercent(buckets_[size_t(i)], total_), shareFont, t.textTertiary,
                               Qt::AlignRight);
    }
}
