#pragma once

#include "shell/controls/CardBackground.h"

#include <QRectF>
#include <QString>

#include <array>
#include <cstdint>

class SectionCaption;
struct AgeReport;

// The age map's first card: one bar per age bucket, youngest first, each with its size and its share
// of the folder's total. Bars are scaled to the largest bucket, so it always spans the whole track.
class AgeBucketsCard : public CardBackground {
    Q_OBJECT
  public:
    static constexpr int kBuckets = 6;

    explicit AgeBucketsCard(QWidget* parent = nullptr);

    void setReport(const AgeReport& report);

    static const std::array<QString, kBuckets>& labels();
    // The fill of a bucket on a track `trackWidth` long: its share of the largest bucket, at least 4
    // points when it holds any byte, nothing when it holds none.
    static double fillWidth(int64_t bytes, int64_t largest, double trackWidth);
    // A row's track, in the card's coordinates.
    QRectF trackRect(int bucket) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRectF rowRect(int bucket) const;

    SectionCaption* caption_;
    std::array<int64_t, kBuckets> buckets_{};
    int64_t total_ = 0;
};
