#pragma once

#include "tools/monitor/MonitorCard.h"

class SamplingLoop;
class CardHeader;
class SectionCaption;
class SegmentedBar;
class Sparkline;
class StatCell;

// The processor, memory and network cards. Each is built once and shows the loop's latest sample with
// show(); only its texts, values and histories change, never its widgets.

// Processor load: the headline user + system, its history, and user, system and the load average.
class CpuCard : public MonitorCard {
    Q_OBJECT
  public:
    explicit CpuCard(QWidget* parent = nullptr);
    void showFigures(const SamplingLoop& loop);

    CardHeader* header() const { return header_; }
    Sparkline* history() const { return history_; }
    StatCell* user() const { return user_; }
    StatCell* system() const { return system_; }
    StatCell* load() const { return load_; }

  private:
    CardHeader* header_;
    Sparkline* history_;
    StatCell *user_, *system_, *load_;
};

// Memory: the headline used (total - available), a bar of wired, compressed, other used and free,
// wired, compressed and total, and the history of the share in use.
class MemoryCard : public MonitorCard {
    Q_OBJECT
  public:
    explicit MemoryCard(QWidget* parent = nullptr);
    void showFigures(const SamplingLoop& loop);

    // The fixed amber of compressed memory, the same in both themes.
    static QColor compressedColor();

    CardHeader* header() const { return header_; }
    SegmentedBar* bar() const { return bar_; }
    StatCell* wired() const { return wired_; }
    StatCell* compressed() const { return compressed_; }
    StatCell* total() const { return total_; }
    SectionCaption* caption() const { return caption_; }
    Sparkline* history() const { return history_; }

  private:
    CardHeader* header_;
    SegmentedBar* bar_;
    StatCell *wired_, *compressed_, *total_;
    SectionCaption* caption_;
    Sparkline* history_;
};

// Network: the download rate as the headline, a two-point line from the download to the upload rate,
// both rates and the bytes received since the first sample. It keeps no history.
class NetworkCard : public MonitorCard {
    Q_OBJECT
  public:
    explicit NetworkCard(QWidget* parent = nullptr);
    void showFigures(const SamplingLoop& loop);

    CardHeader* header() const { return header_; }
    Sparkline* rates() const { return rates_; }
    StatCell* down() const { return down_; }
    StatCell* up() const { return up_; }
    StatCell* session() const { return session_; }

  private:
    CardHeader* header_;
    Sparkline* rates_;
    StatCell *down_, *up_, *session_;
};
