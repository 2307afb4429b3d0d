#pragma once

#include "model/FileCategory.h"

#include <QWidget>

#include <cstdint>
#include <utility>
#include <vector>

using TypeBytes = std::vector<std::pair<FileCategory, int64_t>>;

// The scan's bytes by file type as one stacked bar: a segment per category in the order given,
// 2 points apart, none narrower than 2 points; whatever runs past the right end is cut.
class TypeBreakdownBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 8;

    explicit TypeBreakdownBar(QWidget* parent = nullptr);
    void setBreakdown(TypeBytes breakdown);

    // Each entry's width in a bar `width` wide: its share of the total (at least 1 byte) of the width
    // left after the gaps, at least 2.
    static std::vector<double> segmentWidths(const TypeBytes& breakdown, double width);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TypeBytes breakdown_;
};

// One legend row: the category's colour dot, its title and its bytes.
class TypeLegendRow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 34;

    TypeLegendRow(FileCategory category, int64_t bytes, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    FileCategory category_;
    int64_t bytes_;
};
