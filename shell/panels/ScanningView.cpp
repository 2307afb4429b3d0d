#include "shell/panels/ScanningView.h"

#include "shell/controls/RollingText.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"

#include <QFontDatabase>
#include <QVBoxLayout>

ScanningView::ScanningView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("scanningView"));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(16);
    column->addStretch(1);
    column->addWidget(new Spinner(Spinner::kRegular, this), 0, Qt::AlignHCenter);
    column->addWidget(
        new ThemedLabel(QStringLiteral("Scanning…"), fonts::ui(26, QFont::DemiBold), &Theme::text, this), 0,
        Qt::AlignHCenter);
    counters_ =
        new RollingLabel(countersText(0, 0), fonts::ui(15, QFont::Medium), &Theme::textSecondary, this);
    counters_->setObjectName(QStringLiteral("counters"));
    column->addWidget(counters_);

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
    path_->setText(fromBytes(currentPath));
}
