#include "visualizations/agemap/MonthHeatmapCard.h"

#include "model/AgeReport.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSide = 16, kTopBottom = 14;
constexpr double kCaptionGap = 14, kHeaderGap = 6, kRowSpacing = 6, kCellSpacing = 4, kYearWidth = 52;
constexpr double kMinRow = 20, kMaxRow = 50, kLegendGap = 16;
constexpr double kSwatchWidth = 20, kSwatchHeight = 12, kLegendSpacing = 6;
constexpr double kLabelPadding = 2;

const QString kMonthLetters[12] = {"J", "F", "M", "A", "M", "J", "J", "A", "S", "O", "N", "D"};

QFont letterFont() {
    return fonts::ui(10.5, QFont::Medium);
}
QFont yearFont() {
    return fonts::ui(12, QFont::Medium);
}
QFont cellFont() {
    return fonts::ui(9, QFont::Bold);
}
QFont legendFont() {
    return fonts::ui(10.5);
}
QFont busiestFont() {
    return fonts::ui(11);
}

double legendHeight() {
    return std::max(
        {QFontMetricsF(legendFont()).height(), QFontMetricsF(busiestFont()).height(), kSwatchHeight});
}

} // namespace

MonthHeatmapCard::MonthHeatmapCard(QWidget* parent)
    : CardBackground(14, parent), caption_(new SectionCaption("Bytes by last-modified month", {})) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kSide, kTopBottom, kSide, kTopBottom);
    column->addWidget(caption_);
    column->addStretch(1); // the rest is painted
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MonthHeatmapCard::setReport(const AgeReport& report) {
    months_ = report.months;
    grid_ = month_heatmap::grid(months_);
    updateGeometry();
    update();
}

int64_t MonthHeatmapCard::bytesAt(int row, int month) const {
    if (row < 0 || size_t(row) >= grid_.years.size() || month < 0 || month >= 12) return 0;
    const auto found = months_.find(grid_.years[size_t(row)]);
    return found == months_.end() ? 0 : found->second[size_t(month)];
}

MonthHeatmapCard::Geometry MonthHeatmapCard::cellGeometry() const {
    Geometry g;
    g.headerTop = kTopBottom + caption_->sizeHint().height() + kCaptionGap;
    g.rowsTop = g.headerTop + QFontMetricsF(letterFont()).height() + kHeaderGap;
    g.legendTop = height() - kTopBottom - legendHeight();
    const double rows = double(grid_.years.size());
    if (rows > 0) {
        // The rows share the room with the space above the legend, each up to 50 high; that space
        // keeps at least 16.
        const double room = g.legendTop - g.rowsTop - (rows - 1) * kRowSpacing;
        g.rowHeight = std::clamp(room / (rows + 1), kMinRow, kMaxRow);
        if (room - rows * g.rowHeight < kLegendGap)
            g.rowHeight = std::max(kMinRow, (room - kLegendGap) / rows);
    }
    g.cellsLeft = kSide + kYearWidth + kCellSpacing;
    g.cellWidth = std::max(0.0, (width() - kSide - g.cellsLeft - 11 * kCellSpacing) / 12);
    return g;
}

double MonthHeatmapCard::heightFor(double rowHeight) const {
    const double rows = double(grid_.years.size());
    const double rowsHeight = rows > 0 ? rows * rowHeight + (rows - 1) * kRowSpacing : 0;
    return kTopBottom + caption_->sizeHint().height() + kCaptionGap + QFontMetricsF(letterFont()).height() +
           kHeaderGap + rowsHeight + kLegendGap + legendHeight() + kTopBottom;
}

QSize MonthHeatmapCard::sizeHint() const {
    return {480, int(std::ceil(heightFor(32)))};
}

QSize MonthHeatmapCard::minimumSizeHint() const {
    return {0, int(std::ceil(heightFor(kMinRow)))};
}

QRectF MonthHeatmapCard::cellRect(int row, int month) const {
    const Geometry g = cellGeometry();
    return {g.cellsLeft + month * (g.cellWidth + kCellSpacing), g.rowsTop + row * (g.rowHeight + kRowSpacing),
            g.cellWidth, g.rowHeight};
}

std::optional<std::pair<int, int>> MonthHeatmapCard::cellAt(QPointF point) const {
    for (int row = 0; row < int(grid_.years.size()); ++row)
        for (int month = 0; month < 12; ++month)
            if (cellRect(row, month).contains(point)) return std::pair(row, month);
    return std::nullopt;
}

QString MonthHeatmapCard::cellLabel(int row, int month) const {
    const int64_t bytes = bytesAt(row, month);
    if (!month_heatmap::showsLabel(bytes, grid_.scale)) return {};
    const QString text = formatBytes(bytes);
    // Shown whole or not at all.
    const double needed = QFontMetricsF(cellFont()).horizontalAdvance(text) + 2 * kLabelPadding;
    return needed <= cellRect(row, month).width() ? text : QString();
}

QString MonthHeatmapCard::busiestText() const {
    return QStringLiteral("Busiest month: %1").arg(formatBytes(grid_.scale));
}

bool MonthHeatmapCard::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const auto cell = cellAt(help->pos())) {
            const auto [row, month] = *cell;
            QToolTip::showText(help->globalPos(),
                               month_heatmap::tooltip(grid_.years[size_t(row)], month, bytesAt(row, month)),
                               this, cellRect(row, month).toAlignedRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return CardBackground::event(event);
}

void MonthHeatmapCard::paintEvent(QPaintEvent* event) {
    CardBackground::paintEvent(event);
    const Theme& t = theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Geometry g = cellGeometry();

    const double headerHeight = QFontMetricsF(letterFont()).height();
    for (int month = 0; month < 12; ++month) {
        const QRectF column(g.cellsLeft + month * (g.cellWidth + kCellSpacing), g.headerTop, g.cellWidth,
                            headerHeight);
        ThemedLabel::paintLine(painter, column, kMonthLetters[month], letterFont(), t.textTertiary,
                               Qt::AlignHCenter);
    }

    QColor empty = t.track;
    empty.setAlphaF(0.6f);
    const auto ramp = month_heatmap::ramp();
    for (int row = 0; row < int(grid_.years.size()); ++row) {
        const QRectF first = cellRect(row, 0);
        ThemedLabel::paintLine(painter, QRectF(kSide, first.top(), kYearWidth, first.height()),
                               QString::number(grid_.years[size_t(row)]), yearFont(), t.textSecondary);
        for (int month = 0; month < 12; ++month) {
            const QRectF cell = cellRect(row, month);
            const int level = month_heatmap::level(bytesAt(row, month), grid_.scale);
            shapes::fill(painter, cell, 5, level < 0 ? empty : ramp[size_t(level)]);
            if (const QString label = cellLabel(row, month); !label.isEmpty())
                ThemedLabel::paintLine(painter, cell, label, cellFont(), canvasInk(), Qt::AlignHCenter,
                                       Qt::ElideNone);
        }
    }
    paintLegend(painter, g.legendTop);
}

void MonthHeatmapCard::paintLegend(QPainter& painter, double top) const {
    const Theme& t = theme();
    const double height = legendHeight();
    double x = kSide;
    auto text = [&](const QString& s, const QFont& font) {
        x += ThemedLabel::paintLine(painter, QRectF(x, top, width(), height), s, font, t.textTertiary,
                                    Qt::AlignLeft, Qt::ElideNone) +
             kLegendSpacing;
    };
    auto swatch = [&](const QColor& color) {
        shapes::fill(painter, QRectF(x, top + (height - kSwatchHeight) / 2, kSwatchWidth, kSwatchHeight), 3,
                     color);
        x += kSwatchWidth + kLegendSpacing;
    };
    text(QStringLiteral("less"), legendFont());
    swatch(t.track);
    for (const QColor& color : month_heatmap::ramp())
        swatch(color);
    text(QStringLiteral("more"), legendFont());
    const double right = width() - kSide;
    ThemedLabel::paintLine(painter, QRectF(x, top, std::max(0.0, right - x), height), busiestText(),
                           busiestFont(), t.textTertiary, Qt::AlignRight);
}
