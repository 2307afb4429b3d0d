#pragma once

#include "shell/controls/CardBackground.h"
#include "shell/controls/RollingText.h"

class QPainter;
class QVBoxLayout;

// The frame of every Monitor card: 16 points of padding, pieces 12 apart from the top, at least 200
// points tall, as wide as the row gives it.
class MonitorCard : public CardBackground {
    Q_OBJECT
  public:
    explicit MonitorCard(QWidget* parent = nullptr);

    // Adds a piece below the others.
    void add(QWidget* piece);

  private:
    QVBoxLayout* column_;
};

// A card's heading: symbol and title at the left, the headline figure at the right, whose digits roll
// when it changes.
class CardHeader : public QWidget {
    Q_OBJECT
  public:
    CardHeader(const QString& symbol, const QString& title, double headlineSize, QWidget* parent = nullptr);

    void setHeadline(const QString& headline);
    QString headline() const { return headline_.text(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString symbol_, title_;
    RollingText headline_;
    double headlineSize_;
};

// A piece redrawn on every sample paints its own card-coloured background and says so (opaque), so the
// card and the page behind it are not redrawn with it. Call in its constructor; paint with
// paintCardUnder() first.
void makeOpaqueOnCard(QWidget* piece);
void paintCardUnder(QPainter& painter, const QWidget* piece);

// `piece` in a holder that adds room above it.
QWidget* withTopPadding(QWidget* piece, int padding, QWidget* parent);
