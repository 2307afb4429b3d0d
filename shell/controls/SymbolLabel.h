#pragma once

#include "shell/style/Theme.h"

#include <QWidget>

// A symbol drawn in a colour role of the theme, centred in a fixed frame. It takes no clicks: they,
// and the tool tip, belong to the widget below.
class SymbolLabel : public QWidget {
  public:
    SymbolLabel(const QString& symbol, double textSize, QColor Theme::*color, QSize frame,
                QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString symbol_;
    double textSize_;
    QColor Theme::*color_;
};
