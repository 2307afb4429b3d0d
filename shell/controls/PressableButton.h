#pragma once

#include <QAbstractButton>

#include <functional>

class QPainter;

// How every shared button shows a press: opacity 0.75 and scale 0.985 about its centre, eased in and
// out over 0.12 s (motion::press()). PressableButton applies it; a widget that draws a pressable
// area of its own can call apply() with its own press amount.
struct PressableStyle {
    static constexpr double kPressedOpacity = 0.75;
    static constexpr double kPressedScale = 0.985;
    static constexpr double kDisabledOpacity = 0.5;

    // Sets the painter's opacity and scale for a press amount between 0 (at rest) and 1 (pressed).
    static void apply(QPainter& painter, const QRectF& rect, double pressAmount, bool enabled = true);
};

// The base of the shared buttons, with PressableStyle. The whole rectangle takes clicks; a click
// calls the action (and emits clicked()). Subclasses draw their content in paintContent(), in
// unscaled widget coordinates; the base applies the press effect and the disabled dimming.
class PressableButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit PressableButton(QWidget* parent = nullptr);

    void setAction(std::function<void()> action) { action_ = std::move(action); }

    // 0 at rest, 1 fully pressed; animated.
    double pressAmount() const { return press_; }

  protected:
    virtual void paintContent(QPainter& painter) = 0;
    // Runs the action; OutlineButton adds its confirmation.
    virtual void activate();

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void animatePress(bool down);

    std::function<void()> action_;
    double press_ = 0;
};
