#pragma once

#include "shell/style/Theme.h"

#include <QLabel>

class QPainter;

// Plain text in a colour role of the current theme, following theme changes. By default a label as
// Qt has it (it may wrap); with an elide mode it is one line as tall as its font, cut with "…" to the
// width it is given, and as narrow as the layout wants.
class ThemedLabel : public QLabel {
    Q_OBJECT
  public:
    using Role = QColor Theme::*;

    ThemedLabel(const QString& text, const QFont& font, Role role, QWidget* parent = nullptr);
    // One line, cut as `elide` says.
    ThemedLabel(const QString& text, const QFont& font, Role role, Qt::TextElideMode elide,
                QWidget* parent = nullptr);

    void setColorRole(Role role);
    void setElideMode(Qt::TextElideMode mode);
    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Draws `text` on one line vertically centred in `rect`, cut to fit; returns the width drawn.
    // Painted rows and cards write their texts with it, as the one-line label does.
    static double paintLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                            const QColor& color, Qt::Alignment alignment = Qt::AlignLeft,
                            Qt::TextElideMode elide = Qt::ElideRight);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyColor();

    Role role_;
    Qt::TextElideMode elide_ = Qt::ElideNone;
};
