#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

// The application's one window: the desktop's normal frame, title "Brenwick", the theme's
// background, content never smaller than 1280 x 760. The main window view is set as its content and
// fills it. A theme switch cross-fades from the old look to the new one. Closing it closes the preview
// window too, so that the application ends with it.
class AppWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kMinimumSize{1280, 760};
    static constexpr QSize kDefaultSize{1680, 1050};

    explicit AppWindow(QWidget* parent = nullptr);

    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // The default size clamped to a screen's available area, never below the minimum.
    static QSize defaultSize(const QRect& available);

    // Sizes and centres the window on its screen, shows it, raises and activates it.
    void showAndActivate();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void beginThemeFade();
    void endThemeFade();

    QPointer<QWidget> content_;
    QLabel* fade_ = nullptr;
};
