#include "shell/controls/ScreenHeader.h"

#include "shell/controls/Buttons.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"

#include <QFontMetricsF>
#include <QHBoxLayout>

#include <cmath>

ScreenHeader::ScreenHeader(const QString& title, const Style& style, QWidget* parent)
    : QWidget(parent), row_(new QHBoxLayout(this)) {
    row_->setContentsMargins(style.margins);
    row_->setSpacing(style.spacing);
    if (style.height > 0) row_->addStrut(style.height);
    const QFont titleFont = fonts::ui(style.titleSize, QFont::DemiBold), summaryFont = fonts::ui(12.5);
    title_ = new ThemedLabel(title, titleFont, &Theme::text, this);
    summary_ = new ThemedLabel({}, summaryFont, &Theme::textSecondary, this);
    summary_->hide();
    spinner_ = new Spinner(Spinner::kSmall, this);
    spinner_->hide();
    if (style.summaryBesideTitle) {
        // Both at the bottom, the summary raised by the difference of the fonts' descents: one baseline.
        const double descents = QFontMetricsF(titleFont).descent() - QFontMetricsF(summaryFont).descent();
        summary_->setContentsMargins(0, 0, 0, int(std::lround(descents)));
        row_->addWidget(title_, 0, Qt::AlignBottom);
        row_->addWidget(summary_, 0, Qt::AlignBottom);
        row_->addStretch(1);
    } else {
        row_->addWidget(title_);
        row_->addStretch(1);
        row_->addWidget(summary_);
    }
    row_->addWidget(spinner_, 0, Qt::AlignVCenter);
}

OutlineButton* ScreenHeader::addButton(const QString& title, double height, std::function<void()> action) {
    auto* button =
        new OutlineButton({.title = title, .height = height, .fontSize = 12}, std::move(action), this);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    addControl(button);
    return button;
}

void ScreenHeader::addControl(QWidget* control) {
    control->setParent(this);
    row_->addWidget(control, 0, Qt::AlignVCenter);
}

void ScreenHeader::setSummary(const QString& text) {
    summary_->setText(text);
    summary_->setVisible(!text.isEmpty());
}

QString ScreenHeader::summary() const {
    return summary_->isVisibleTo(this) ? summary_->text() : QString();
}

void ScreenHeader::setBusy(bool busy) {
    spinner_->setVisible(busy);
}

bool ScreenHeader::isBusyShown() const {
    return spinner_->isVisibleTo(this);
}
