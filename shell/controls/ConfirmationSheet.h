#pragma once

#include <QWidget>

#include <functional>

class CardBackground;
class OutlineButton;
class ThemedLabel;
class WideButton;

// A question drawn over its parent's own content: the parent dimmed, a card in its middle with a
// title, a message, "Cancel" and the destructive answer. A separate dialog window would take the
// pointer from a popover, and a popover closes when the pointer goes elsewhere. Escape cancels;
// clicks on the dimmed area do nothing. Hidden until presented; repainted with its parent.
class ConfirmationSheet : public QWidget {
    Q_OBJECT
  public:
    ConfirmationSheet(const QString& confirmTitle, std::function<void()> confirm,
                      std::function<void()> cancel, QWidget* parent);

    // Covers the parent (at its size now: the parent is expected to keep its size meanwhile) and asks.
    void present(const QString& title, const QString& message);

    QString title() const;
    QString message() const;
    WideButton* confirmButton() const { return confirm_; }
    WideButton* cancelButton() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void placeCard();

    CardBackground* card_;
    ThemedLabel* title_;
    ThemedLabel* message_;
    OutlineButton* cancel_;
    WideButton* confirm_;
};
