#pragma once

#include "shell/controls/PressableButton.h"

// A plain button that is only its title, in the theme's ink: the Monitor's show-more toggles.
class TextButton : public PressableButton {
    Q_OBJECT
  public:
    TextButton(double fontSize, int topPadding, std::function<void()> action, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return title_; }

    QSize sizeHint() const override;

  protected:
    void paintContent(QPainter& painter) override;

  private:
    QString title_;
    double fontSize_;
    int topPadding_;
};
