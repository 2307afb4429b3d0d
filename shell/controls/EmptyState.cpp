#include "shell/controls/EmptyState.h"

#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"

#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The symbol, on its tile when the style has one.
class SymbolTile : public QWidget {
  public:
    SymbolTile(const QString& symbol, const EmptyState::Style& style, QWidget* parent)
        : QWidget(parent), symbol_(symbol), style_(style) {
        if (style.tile > 0) {
            setFixedSize(int(style.tile), int(style.tile));
        } else {
            const QSizeF size = symbols::size(symbol, style.symbolSize);
            setFixedSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
        }
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (style_.tile > 0) shapes::fill(painter, rect(), style_.tileRadius, theme().chip);
        symbols::paint(painter, rect(), symbol_, style_.symbolSize, theme().*style_.symbolColor);
    }

  private:
    QString symbol_;
    EmptyState::Style style_;
};

} // namespace

EmptyState::Style EmptyState::startScreen() {
    Style style;
    style.symbolSize = 33;
    style.symbolColor = &Theme::textTertiary;
    style.tile = 92;
    style.titleSize = 26;
    style.textSize = 13;
    style.textWidth = 420;
    style.spacing = 18;
    return style;
}

EmptyState::EmptyState(const QString& symbol, const QString& title, const QString& text, const Style& style,
                       QWidget* parent)
    : QWidget(parent), style_(style), column_(new QVBoxLayout(this)) {
    column_->setSpacing(style.spacing);
    column_->setSizeConstraint(QLayout::SetNoConstraint);
    column_->addStretch(1);
    if (!symbol.isEmpty()) column_->addWidget(new SymbolTile(symbol, style, this), 0, Qt::AlignHCenter);
    title_ = new ThemedLabel(title, fonts::ui(style.titleSize, QFont::DemiBold), &Theme::text, this);
    title_->setVisible(!title.isEmpty());
    column_->addWidget(title_, 0, Qt::AlignHCenter);
    text_ = new ThemedLabel(text, fonts::ui(style.textSize), &Theme::textSecondary, this);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignHCenter);
    text_->setVisible(!text.isEmpty());
    column_->addWidget(text_, 0, Qt::AlignHCenter);
    column_->addStretch(1);
    fitText();
}

QString EmptyState::title() const {
    return title_->text();
}
QString EmptyState::text() const {
    return text_->text();
}

void EmptyState::setTitle(const QString& title) {
    title_->setText(title);
    title_->setVisible(!title.isEmpty());
}

void EmptyState::setText(const QString& text) {
    text_->setText(text);
    text_->setVisible(!text.isEmpty());
    fitText();
}

void EmptyState::addBelow(QLayout* layout) {
    // Before the closing stretch, so the group stays centred with it.
    column_->insertLayout(column_->count() - 1, layout);
}

QSize EmptyState::minimumSizeHint() const {
    return {0, QWidget::minimumSizeHint().height()};
}

void EmptyState::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitText();
}

void EmptyState::fitText() {
    // A wrapped label in a centring layout takes its one-line width; give it the wrapping width and
    // the height that width needs.
    const QMargins margins = column_->contentsMargins();
    int width = style_.textWidth;
    if (isVisible() || testAttribute(Qt::WA_Resized))
        width = std::min(width, this->width() - margins.left() - margins.right());
    width = std::max(width, 1);
    // The width first: a label measures its height at no less than its minimum width.
    text_->setFixedWidth(width);
    text_->setFixedHeight(text_->heightForWidth(width));
}
