#include "shell/panels/UnreadableFoldersNotice.h"

#include "model/ScanViewModel.h"
#include "shell/controls/SymbolButton.h"
#include "shell/controls/SymbolLabel.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/PlainText.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStringList>
#include <QVBoxLayout>

UnreadableFoldersNotice::UnreadableFoldersNotice(ScanViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName(QStringLiteral("unreadableFoldersNotice"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(12);
    row->addWidget(new SymbolLabel(QStringLiteral("lock.fill"), 13, &Theme::used, QSize(16, 18), this), 0,
                   Qt::AlignVCenter);

    text_ = new QWidget(this);
    auto* column = new QVBoxLayout(text_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    count_ = new ThemedLabel(QString(), fonts::ui(12.5, QFont::DemiBold), &Theme::text, text_);
    count_->setElideMode(Qt::ElideRight);
    auto* explanationLabel = new ThemedLabel(explanation(), fonts::ui(11.5), &Theme::textSecondary, text_);
    explanationLabel->setWordWrap(true);
    // At most two lines.
    explanationLabel->setMaximumHeight(explanationLabel->fontMetrics().lineSpacing() * 2 + 1);
    column->addWidget(count_);
    column->addWidget(explanationLabel);
    row->addWidget(text_, 1);
    row->addSpacing(12); // the flexible gap of at least 12

    close_ = new SymbolButton(
        QStringLiteral("xmark"), 10.5, QSize(22, 22), &Theme::textTertiary,
        [this] { viewModel_.setShowAccessNotice(false); }, this);
    close_->setToolTip(QStringLiteral("Dismiss"));
    row->addWidget(close_, 0, Qt::AlignVCenter);

    connect(&viewModel, &ScanViewModel::unreadableFolderCountChanged, this,
            &UnreadableFoldersNotice::refresh);
    connect(&viewModel, &ScanViewModel::unreadableFolderSamplesChanged, this,
            &UnreadableFoldersNotice::refresh);
    refresh();
}

QString UnreadableFoldersNotice::countLine(int64_t count) {
    return formatCount(count) + (count == 1 ? QStringLiteral(" folder") : QStringLiteral(" folders")) +
           QStringLiteral(" couldn't be read — sizes may be incomplete");
}

QString UnreadableFoldersNotice::explanation() {
    return QStringLiteral(
        "Linux denied access: these folders need read permission for your user. Folders owned by "
        "the system or other users stay unreadable.");
}

void UnreadableFoldersNotice::refresh() {
    count_->setText(countLine(viewModel_.unreadableFolderCount()));
    QStringList samples;
    for (const std::string& path : viewModel_.unreadableFolderSamples())
        samples << fromBytes(path);
    text_->setToolTip(plain_text::toolTip(samples.join(QLatin1Char('\n'))));
}

void UnreadableFoldersNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    shapes::paintCardBackground(painter, rect(), 10, theme());
}
