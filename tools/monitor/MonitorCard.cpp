#include "tools/monitor/MonitorCard.h"

#include "shell/style/Fonts.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

MonitorCard::MonitorCard(QWidget* parent) : CardBackground(14, parent), column_(new QVBoxLayout(this)) {
    column_->setContentsMargins(16, 16, 16, 16);
    column_->setSpacing(12);
    column_->addStretch(1);
    setMinimumHeight(200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void MonitorCard::add(QWidget* piece) {
    column_->insertWidget(column_->count() - 1, piece);
}

void makeOpaqueOnCard(QWidget* piece) {
    piece->setAttribute(Qt::WA_OpaquePaintEvent);
}

void paintCardUnder(QPainter& painter, const QWidget* piece) {
    painter.fillRect(piece->rect(), theme().card);
}

QWidget* withTopPadding(QWidget* piece, int padding, QWidget* parent) {
    auto* holder = new QWidget(parent);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, padding, 0, 0);
    layout->addWidget(piece);
    return holder;
}

namespace {

constexpr double kTitleSize = 12.5;
constexpr double kSymbolSpacing = 6;

QFont titleFont() {
    return fonts::ui(kTitleSize, QFont::DemiBold);
}

} // namespace

CardHeader::CardHeader(const QString& symbol, const QString& title, double headlineSize, QWidget* parent)
    : QWidget(parent), symbol_(symbol), title_(title), headline_(this), headlineSize_(headlineSize) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    makeOpaqueOnCard(this);
}

void CardHeader::setHeadline(const QString& headline) {
    headline_.setText(headline);
}

QSize CardHeader::sizeHint() const {
    const QFontMetricsF title(titleFont()), headline(fonts::ui(headlineSize_, QFont::Bold));
    const double width = symbols::size(symbol_, kTitleSize).width() + kSymbolSpacing +
                         title.horizontalAdvance(title_) + 8 + headline.horizontalAdvance(headline_.text());
    return {int(std::ceil(width)), int(std::ceil(std::max(title.height(), headline.height())))};
}

QSize CardHeader::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void CardHeader::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    paintCardUnder(painter, this);
    const Theme& t = theme();
    const QFont tf = titleFont(), hf = fonts::ui(headlineSize_, QFont::Bold);
    const QFontMetricsF title(tf), headline(hf);
    const double symbolWidth = symbols::size(symbol_, kTitleSize).width();
    symbols::paint(painter, QRectF(0, 0, symbolWidth, height()), symbol_, kTitleSize, t.textSecondary);
    const double middle = height() / 2.0;
    painter.setFont(tf);
    painter.setPen(t.textSecondary);
    painter.drawText(QPointF(symbolWidth + kSymbolSpacing, middle + (title.ascent() - title.descent()) / 2),
                     title_);
    headline_.paint(painter,
                    QPointF(width() - headline.horizontalAdvance(headline_.text()),
                            middle + (headline.ascent() - headline.descent()) / 2),
                    hf, t.text);
}
