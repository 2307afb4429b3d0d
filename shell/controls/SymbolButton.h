#pragma once

#include "shell/controls/PressableButton.h"
#include "shell/style/Theme.h"

// A plain button that is only a symbol, centred in a fixed frame whose whole area takes the click:
// the back button, the clear and close buttons. Disabled, it shows the symbol in `textTertiary` at
// half opacity.
class SymbolButton : public PressableButton {
    Q_OBJECT
  public:
    SymbolButton(const QString& symbol, double symbolSize, QSize frame, QColor Theme::*color,
                 std::function<void()> action, QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    QSize sizeHint() const override { return frame_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void paintContent(QPainter& painter) override;

  private:
    QString symbol_;
    double symbolSize_;
    QSize frame_;
    QColor Theme::*color_;
};
