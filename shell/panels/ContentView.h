#pragma once

#include <QPointer>
#include <QWidget>

class ScanViewModel;
class TopBar;

// The window's content: the top bar, a divider, and the row of sidebar (340), the selected tab's
// screen, and on the Explore tab the inspector (382) while it is switched on, sliding in from the
// right edge. A tab's screen is built when the tab is entered and discarded when it is left; so is
// the inspector when it goes.
class ContentView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSidebarWidth = 340;
    static constexpr int kInspectorWidth = 382;

    explicit ContentView(ScanViewModel& viewModel, QWidget* parent = nullptr);

    TopBar* topBar() const { return topBar_; }
    QWidget* sidebar() const { return sidebar_; }
    // The screen of the selected tab.
    QWidget* tabScreen() const { return screen_; }
    // The inspector while it is shown (also while it slides out), else null.
    QWidget* inspector() const { return inspector_; }
    QRect tabScreenGeometry() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void showTab();
    void updateInspector();
    void layoutRow();

    ScanViewModel& viewModel_;
    TopBar* topBar_;
    QWidget* row_;
    QWidget* sidebar_;
    QWidget* screen_ = nullptr;
    QPointer<QWidget> inspector_;
    double inspectorShown_ = 0; // 0 hidden, 1 fully in
    bool shownOnce_ = false;
};
