#pragma once

#include "shell/controls/Buttons.h"

// The button of an action that removes things (moving items to the Trash): filled with the system's
// red (the theme's `used`), white text. Keeps its own width.
class DestructiveButton : public WideButton {
    Q_OBJECT
  public:
    DestructiveButton(const QString& title, double height, double fontSize, std::function<void()> action,
                      QWidget* parent = nullptr);

  protected:
    void paintContent(QPainter& painter) override;
};
