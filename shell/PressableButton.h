#pragma once

#include <QAbstractButton>

#include <functional>

// The press behaviour every shared button has: while pressed it is drawn at opacity 0.75 and scale
// 0.985 about its centre, easing in and out over 0.12 s. The whole rectangle takes clicks; a click
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
