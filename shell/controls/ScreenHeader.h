#pragma once

#include <QMargins>
#include <QWidget>

#include <functional>

class OutlineButton;
class QHBoxLayout;
class Spinner;
class ThemedLabel;

// The row over a tool screen: its title, an optional summary, a small spinner while the screen is
// busy, and its buttons at the right, in that order. The summary stands either on the title's
// baseline or at the right before the spinner; it and the spinner are hidden until set.
class ScreenHeader : public QWidget {
    Q_OBJECT
  public:
    struct Style {
        double titleSize = 15;
        QMargins margins;
        int spacing = 10;
        int height = 0;                  // at least this tall, so showing the spinner moves nothing
        bool summaryBesideTitle = false; // else at the right, before the spinner
    };

    ScreenHeader(const QString& title, const Style& style, QWidget* parent = nullptr);

    // An outline button after the controls added before it.
    OutlineButton* addButton(const QString& title, double height, std::function<void()> action);
    // Any other control after those added before it.
    void addControl(QWidget* control);

    // Hidden while empty.
    void setSummary(const QString& text);
    // The summary while shown, else empty.
    QString summary() const;

    void setBusy(bool busy);
    bool isBusyShown() const;

  private:
    QHBoxLayout* row_;
    ThemedLabel* title_;
    ThemedLabel* summary_;
    Spinner* spinner_;
};
