#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class RollingLabel;
class ThemedLabel;

// The screen shown while a scan runs: a spinning indicator, "Scanning…", the live counters (their
// digits roll as they count up) and the path being read. No controls.
class ScanningView : public QWidget {
    Q_OBJECT
  public:
    explicit ScanningView(QWidget* parent = nullptr);

    void setProgress(int64_t filesScanned, int64_t bytesScanned, const std::string& currentPath);

    // "12,345 files  ·  1.23 GB"
    static QString countersText(int64_t filesScanned, int64_t bytesScanned);
    RollingLabel* countersLabel() const { return counters_; }
    ThemedLabel* pathLabel() const { return path_; }

  private:
    RollingLabel* counters_;
    ThemedLabel* path_;
};
