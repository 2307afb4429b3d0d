#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <cstdio>

class QWidget;
class ScanViewModel;

// For measuring start-up (bench/compare-startup.sh): once the window has painted its first picture
// of a finished scan, prints one line to `out`:
//
//   first_picture main_ns=... scanned_ns=... picture_ns=...
//
// the wall-clock times (CLOCK_REALTIME, nanoseconds) at which main began, the scan's result was
// published and that picture went to the screen. Made only when BRENWICK_REPORT_FIRST_PICTURE is
// set (see watchIfAsked); the product itself writes nothing.
class FirstPictureReport : public QObject {
    Q_OBJECT
  public:
    FirstPictureReport(const ScanViewModel& viewModel, QWidget& window, int64_t mainNs, FILE* out);

    // A report on stdout when BRENWICK_REPORT_FIRST_PICTURE is set, else nothing.
    static void watchIfAsked(const ScanViewModel& viewModel, QWidget& window, int64_t mainNs);
    static int64_t nowNs();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void report();

    const ScanViewModel& viewModel_;
    QPointer<QWidget> window_;
    int64_t mainNs_;
    int64_t scannedNs_ = 0;
    FILE* out_;
    bool painting_ = false;
};
