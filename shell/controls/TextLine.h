#pragma once

#include "shell/style/Theme.h"

#include <QFont>
#include <QWidget>

class QPainter;

// One line of text in a theme colour, cut with "…" when it does not fit. The colour is a role of the
// current theme, so the line follows theme changes.
class TextLine : public QWidget {
    Q_OBJECT
  public:
    using Role = QColor Theme::*;

    TextLine(const QString& text, const QFont& font, Role role, Qt::TextElideMode elide = Qt::ElideRight,
             QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    void setRole(Role role);
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Draws `text` on one line vertically centred in `rect`, cut to fit; returns the width drawn.
    static double paint(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                        const QColor& color, Qt::Alignment alignment = Qt::AlignLeft,
                        Qt::TextElideMode elide = Qt::ElideRight);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QFont font_;
    Role role_;
    Qt::TextElideMode elide_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

// A label at the left and a value at the right of one row (the disk rows, the inspector's details).
class LabelValueRow : public QWidget {
    Q_OBJECT
  public:
    LabelValueRow(const QString& label, const QString& value, double labelSize, double valueSize, int height,
                  QWidget* parent = nullptr);

    void setValue(const QString& value, TextLine::Role role = &Theme::text);
    QString label() const { return label_; }
    QString value() const { return value_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString label_, value_;
    QFont labelFont_, valueFont_;
    TextLine::Role role_ = &Theme::text;
    int height_;
};
