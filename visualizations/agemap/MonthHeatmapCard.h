#pragma once

#include "shell/controls/CardBackground.h"
#include "visualizations/agemap/MonthHeatmap.h"

#include <QRectF>

#include <array>
#include <cstdint>
#include <map>
#include <optional>

class SectionCaption;
struct AgeReport;

// The age map's second card: the newest eight years with data as rows of twelve months, each cell
// shaded by the bytes last modified in that month against the busiest month of the report, big
// months labelled with their size, every cell naming its month, year and size in a tool tip, and a
// legend of the shades with the busiest month's size. The rows grow with the card.
class MonthHeatmapCard : public CardBackground {
    Q_OBJECT
  public:
    explicit MonthHeatmapCard(QWidget* parent = nullptr);

    void setReport(const AgeReport& report);
    const month_heatmap::Grid& grid() const { return grid_; }
    // The bytes of a shown cell; 0 for a month of a year without data.
    int64_t bytesAt(int row, int month) const;

    // A cell of a shown year (row 0 = the newest), in the card's coordinates.
    QRectF cellRect(int row, int month) const;
    // The (row, month) of the cell under a point, if any.
    std::optional<std::pair<int, int>> cellAt(QPointF point) const;
    // The text shown on a cell, empty when it carries none (too small, or no room for it).
    QString cellLabel(int row, int month) const;
    // The legend's closing text, "Busiest month: 1.20 GB".
    QString busiestText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Geometry {
        double headerTop = 0, rowsTop = 0, rowHeight = 0, legendTop = 0;
        double cellsLeft = 0, cellWidth = 0;
    };
    Geometry cellGeometry() const;
    double heightFor(double rowHeight) const;
    void paintLegend(QPainter& painter, double top) const;

    SectionCaption* caption_;
    std::map<int, std::array<int64_t, 12>> months_;
    month_heatmap::Grid grid_;
};
