#pragma once

#include <QScrollBar>

// The scroll bar of every scrolling list and area: a slim rounded thumb on no track, in the theme's
// tertiary text colour (darker while hovered or dragged), without arrows. Follows theme changes.
// Give it to a scroll area with setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical)).
class ThemedScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    static constexpr int kThickness = 10;

    explicit ThemedScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;

  private:
    void restyle();
};
