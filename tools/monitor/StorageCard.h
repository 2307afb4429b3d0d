#pragma once

#include "model/VolumeInfo.h"
#include "tools/monitor/HeightGlide.h"
#include "tools/monitor/MonitorCard.h"

#include <memory>
#include <vector>

class CardHeader;
class SamplingLoop;
class ScanViewModel;
class Sparkline;
class TextButton;

namespace monitor {

// The storage card's volume rows, painted: name and "used / total" over a usage bar whose used part
// is df's used share, at least 3 points long.
class VolumeRows : public QWidget {
    Q_OBJECT
  public:
    explicit VolumeRows(QWidget* parent = nullptr);

    void setVolumes(std::vector<VolumeInfo> volumes);
    const std::vector<VolumeInfo>& volumes() const { return volumes_; }

    static QString figuresText(const DiskInfo& disk); // "12.3 GB / 256 GB"
    // The height of `rows` rows, as the size hint gives it for that many volumes.
    int heightFor(size_t rows) const;
    // A row's usage bar and its used part, in widget coordinates.
    QRectF barRect(int row) const;
    QRectF usedRect(int row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    static QString nameText(const DiskInfo& disk); // its label as the sidebar shows it (fromBytes)
    double rowHeight() const;

    std::vector<VolumeInfo> volumes_;
};

} // namespace monitor

// Storage: the largest volume's free bytes as the headline (the scanned disk's before any volume is
// known), the first three volumes (all of them once the toggle is pressed: the list glides to its new
// height, and a list going back to three keeps its rows until it has), and the largest volume's free
// space over the recent samples.
class StorageCard : public MonitorCard {
    Q_OBJECT
  public:
    explicit StorageCard(const ScanViewModel& viewModel, QWidget* parent = nullptr);
    void showFigures(const SamplingLoop& loop);

    bool isExpanded() const { return expanded_; }
    void toggle();

    CardHeader* header() const { return header_; }
    monitor::VolumeRows* rows() const { return rows_; }
    TextButton* toggleButton() const { return toggle_; }
    Sparkline* history() const { return history_; }

  private:
    void refresh();

    const ScanViewModel& viewModel_;
    std::vector<VolumeInfo> volumes_;
    bool expanded_ = false;
    bool collapsing_ = false; // the list still shows every volume while it glides back to three
    CardHeader* header_;
    monitor::VolumeRows* rows_;
    TextButton* toggle_;
    Sparkline* history_;
    std::unique_ptr<HeightGlide> glide_;
};
