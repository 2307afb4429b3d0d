#include "app/FirstPictureReport.h"

#include "model/ScanViewModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <ctime>

FirstPictureReport::FirstPictureReport(const ScanViewModel& viewModel, QWidget& window, int64_t mainNs,
                                       FILE* out)
    : QObject(&window), viewModel_(viewModel), window_(&window), mainNs_(mainNs), out_(out) {
    connect(&viewModel, &ScanViewModel::statusChanged, this, [this] {
        if (scannedNs_ || viewModel_.status().kind != ScanViewModel::Status::Kind::done || !viewModel_.root())
            return;
        scannedNs_ = nowNs();
        // Every widget of the window paints within one pass that ends with the flush to the screen.
        qApp->installEventFilter(this);
    });
}

void FirstPictureReport::watchIfAsked(const ScanViewModel& viewModel, QWidget& window, int64_t mainNs) {
    if (qEnvironmentVariableIsSet("BRENWICK_REPORT_FIRST_PICTURE"))
        new FirstPictureReport(viewModel, window, mainNs, stdout);
}

int64_t FirstPictureReport::nowNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

bool FirstPictureReport::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && !painting_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
        painting_ = true;
        // Queued: it runs once the pass that paints this widget has flushed the window.
        QMetaObject::invokeMethod(this, &FirstPictureReport::report, Qt::QueuedConnection);
    }
    return false;
}

void FirstPictureReport::report() {
    qApp->removeEventFilter(this);
    std::fprintf(out_, "first_picture main_ns=%lld scanned_ns=%lld picture_ns=%lld\n", (long long)mainNs_,
                 (long long)scannedNs_, (long long)nowNs());
    std::fflush(out_);
}
