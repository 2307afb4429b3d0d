#include "shell/panels/ScanningView.h"

#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Motion.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

// An indeterminate progress indicator: twelve spokes, the brightest one going round.
class Spinner : public QWidget {
  public:
    explicit Spinner(QWidget* parent) : QWidget(parent) {
        setFixedSize(32, 32);
        auto* timer = new QTimer(this);
        timer->setInterval(83);
        connect(timer, &QTimer::timeout, this, [this] {
            step_ = (step_ + 1) % 12;
            update();
        });
        // Still in tests, where nothing moves.
        if (motion::animationsEnabled()) timer->start();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        const QColor base = theme().textSecondary;
        for (int i = 0; i < 12; ++i) {
            QColor c = base;
            const int age = (step_ - i + 12) % 12; // 0: the leading spoke
            c.setAlphaF(float(std::max(0.18, 1.0 - age / 12.0)));
            painter.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(0, -8.5), QPointF(0, -14.5));
            painter.rotate(30);
        }
    }

  private:
    int step_ = 0;
};

} // namespace

ScanningView::ScanningView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("scanningView"));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(16);
    column->addStretch(1);
    column->addWidget(new Spinner(this), 0, Qt::AlignHCenter);
    column->addWidget(
        new ThemedLabel(QStringLiteral("Scanning…"), fonts::ui(26, QFont::DemiBold), &Theme::text, this), 0,
        Qt::AlignHCenter);
    counters_ =
        new ThemedLabel(countersText(0, 0), fonts::ui(15, QFont::Medium), &Theme::textSecondary, this);
    counters_->setObjectName(QStringLiteral("counters"));
    column->addWidget(counters_, 0, Qt::AlignHCenter);

    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(fonts::qtPointSize(11));
    path_ = new ThemedLabel(QString(), mono, &Theme::textTertiary, this);
    path_->setObjectName(QStringLiteral("currentPath"));
    path_->setElideMode(Qt::ElideMiddle);
    path_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    path_->setFixedWidth(520);
    column->addWidget(path_, 0, Qt::AlignHCenter);
    column->addStretch(1);
}

QString ScanningView::countersText(int64_t filesScanned, int64_t bytesScanned) {
    return formatCount(filesScanned) + QStringLiteral(" files  ·  ") + formatBytes(bytesScanned);
}

void ScanningView::setProgress(int64_t filesScanned, int64_t bytesScanned, const std::string& currentPath) {
    counters_->setText(countersText(filesScanned, bytesScanned));
    path_->setText(QString::fromStdString(currentPath));
}
