#include "shell/controls/ContentSwitch.h"

#include "shell/controls/EmptyState.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"

#include <QHBoxLayout>
#include <QSpacerItem>
#include <QVBoxLayout>

ContentSwitch::ContentSwitch(QWidget* content, const Style& style, QWidget* parent)
    : QWidget(parent), content_(content) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (style.symbol.isEmpty()) {
        // The margins go on a holder: a label's own are reset when it is polished.
        message_ = new QWidget(this);
        auto* holder = new QVBoxLayout(message_);
        holder->setContentsMargins(style.messageMargins);
        holder->setSpacing(0);
        label_ = new ThemedLabel({}, fonts::ui(style.messageSize), &Theme::textSecondary, message_);
        label_->setWordWrap(true);
        label_->setAlignment(style.messageAlignment);
        holder->addWidget(label_);
    } else {
        EmptyState::Style look;
        look.textSize = style.messageSize;
        empty_ = new EmptyState(style.symbol, {}, {}, look, this);
        empty_->setContentsMargins(style.messageMargins);
        message_ = empty_;
    }
    layout->addWidget(message_);

    busy_ = new QWidget(this);
    auto* busy = new QHBoxLayout(busy_);
    busy->setContentsMargins(0, 0, 0, 0);
    busy->setSpacing(8);
    busy->addWidget(new Spinner(Spinner::kSmall, busy_));
    busyText_ = new ThemedLabel({}, fonts::ui(style.messageSize), &Theme::text, busy_);
    busy->addWidget(busyText_);
    busy->addStretch(1);
    layout->addWidget(busy_);

    content_->setParent(this);
    layout->addWidget(content_);
    // Takes the height left while what is shown does not fill it, so that stands at the top.
    rest_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    layout->addItem(rest_);
    display(Shown::content, true);
}

void ContentSwitch::showMessage(const QString& text) {
    if (label_) label_->setText(text);
    if (empty_) empty_->setText(text);
    display(Shown::message, empty_ != nullptr);
}

void ContentSwitch::showBusy(const QString& text) {
    busyText_->setText(text);
    display(Shown::busy, false);
}

void ContentSwitch::showContent(bool fills) {
    display(Shown::content, fills);
}

void ContentSwitch::display(Shown shown, bool fills) {
    shown_ = shown;
    message_->setVisible(shown == Shown::message);
    busy_->setVisible(shown == Shown::busy);
    content_->setVisible(shown == Shown::content);
    rest_->changeSize(0, 0, QSizePolicy::Minimum, fills ? QSizePolicy::Fixed : QSizePolicy::Expanding);
    layout()->invalidate();
    updateGeometry();
}

QString ContentSwitch::messageText() const {
    if (shown_ != Shown::message) return {};
    return label_ ? label_->text() : empty_->text();
}
