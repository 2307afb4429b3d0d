#include "shell/panels/TypeBreakdown.h"

#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"

#include <QPainter>

#include <algorithm>

TypeBreakdownBar::TypeBreakdownBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TypeBreakdownBar::setBreakdown(TypeBytes breakdown) {
    breakdown_ = std::move(breakdown);
    update();
}

std::vector<double> TypeBreakdownBar::segmentWidths(const TypeBytes& breakdown, double width) {
    int64_t sum = 0;
    for (const auto& [category, bytes] : breakdown)
        sum += bytes;
    const double total = double(std::max<int64_t>(sum, 1));
    const double room = width - 2.0 * (double(breakdown.size()) - 1);
    std::vector<double> widths;
    widths.reserve(breakdown.size());
    for (const auto& [category, bytes] : breakdown)
        widths.push_back(std::max(2.0, double(bytes) / total * room));
    return widths;
}

void TypeBreakdownBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(shapes::continuousRoundedRect(rect(), 3));
    const std::vector<double> widths = segmentWidths(breakdown_, width());
    double x = 0;
    for (size_t i = 0; i < breakdown_.size(); ++i) {
        painter.fillRect(QRectF(x, 0, widths[i], height()), palette::categoryColor(breakdown_[i].first));
        x += widths[i] + 2;
    }
}

TypeLegendRow::TypeLegendRow(FileCategory category, int64_t bytes, QWidget* parent)
    : QWidget(parent), category_(category), bytes_(bytes) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TypeLegendRow::sizeHint() const {
    return {200, kHeight};
}
QSize TypeLegendRow::minimumSizeHint() const {
    return {60, kHeight};
}

void TypeLegendRow::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    SmoothPainter painter(this);
    const QRectF row = QRectF(rect()).adjusted(6, 0, -6, 0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::categoryColor(category_));
    painter.drawEllipse(QRectF(row.left(), row.center().y() - 5, 10, 10));
    const QFont font = fonts::ui(12);
    const double sizeWidth =
        ThemedLabel::paintLine(painter, row, formatBytes(bytes_), font, t.textSecondary, Qt::AlignRight);
    const double x = row.left() + 10 + 10;
    ThemedLabel::paintLine(painter, QRectF(x, 0, std::max(0.0, row.right() - sizeWidth - 8 - x), height()),
                           QString::fromUtf8(file_category::title(category_).data(),
                                             qsizetype(file_category::title(category_).size())),
                           font, t.textSecondary);
}
