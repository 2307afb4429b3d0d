#include "shell/controls/ConfirmationSheet.h"

#include "shell/controls/Buttons.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/DestructiveButton.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPadding = 16, kCardWidth = 340;

} // namespace

ConfirmationSheet::ConfirmationSheet(const QString& confirmTitle, std::function<void()> confirm,
                                     std::function<void()> cancel, QWidget* parent)
    : QWidget(parent), card_(new CardBackground(12, this)) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(card_);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(8);
    title_ = new ThemedLabel({}, fonts::ui(13.5, QFont::Bold), &Theme::text, card_);
    title_->setWordWrap(true);
    message_ = new ThemedLabel({}, fonts::ui(12), &Theme::textSecondary, card_);
    message_->setWordWrap(true);
    layout->addWidget(title_);
    layout->addWidget(message_);
    layout->addSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    cancel_ = new OutlineButton({.title = QStringLiteral("Cancel"), .height = 28, .fontSize = 12},
                                std::move(cancel), card_);
    cancel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    confirm_ = new DestructiveButton(confirmTitle, 28, 12, std::move(confirm), card_);
    buttons->addWidget(cancel_);
    buttons->addWidget(confirm_);
    layout->addLayout(buttons);
    hide();
}

void ConfirmationSheet::present(const QString& title, const QString& message) {
    title_->setText(title);
    message_->setText(message);
    setGeometry(parentWidget()->rect());
    placeCard();
    show();
    raise();
    setFocus();
}

QString ConfirmationSheet::title() const {
    return title_->text();
}

QString ConfirmationSheet::message() const {
    return message_->text();
}

void ConfirmationSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = theme().colorScheme == ColorScheme::dark;
    painter.fillRect(rect(), QColor(0, 0, 0, dark ? 110 : 60));
    shapes::paintShadow(painter, card_->geometry(), 12, QColor(0, 0, 0, dark ? 90 : 45), 18, QPointF(0, 6));
}

void ConfirmationSheet::resizeEvent(QResizeEvent* event) {
    placeCard();
    QWidget::resizeEvent(event);
}

void ConfirmationSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return cancel_->click();
    QWidget::keyPressEvent(event);
}

void ConfirmationSheet::mousePressEvent(QMouseEvent* event) {
    // Neither reaches the content below nor answers the question.
    event->accept();
}

void ConfirmationSheet::placeCard() {
    const int w = std::min(kCardWidth, width() - 2 * kPadding);
    card_->setFixedWidth(w);
    int h = card_->layout()->heightForWidth(w);
    if (h < 0) h = card_->sizeHint().height();
    card_->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
}

WideButton* ConfirmationSheet::cancelButton() const {
    return cancel_;
}
