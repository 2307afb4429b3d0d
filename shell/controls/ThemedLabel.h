#pragma once

#include "shell/style/Theme.h"

#include <QLabel>

// A label in a colour role of the current theme, following theme changes. With an elide mode other
// than Qt::ElideNone it stays on one line and shortens its text to its width.
class ThemedLabel : public QLabel {
    Q_OBJECT
  public:
    ThemedLabel(const QString& text, const QFont& font, QColor Theme::*color, QWidget* parent = nullptr);

    void setColorRole(QColor Theme::*color);
    void setElideMode(Qt::TextElideMode mode);
    // The text as drawn at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyColor();

    QColor Theme::*color_;
    Qt::TextElideMode elide_ = Qt::ElideNone;
};
