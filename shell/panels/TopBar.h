#pragma once

#include <QPointer>
#include <QWidget>

class Breadcrumb;
class FilterField;
class QueuePopover;
class ScanViewModel;
class SegmentStrip;
class SquareIconButton;

// The 56-point bar across the top of the window: the tabs (full, or compact with only the selected
// tab's title when the width is short), on the Explore tab the back button and breadcrumb, the name
// filter, the cleanup-queue button with its count badge and popover, the theme button and the
// inspector button.
class TopBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 56;

    explicit TopBar(ScanViewModel& viewModel, QWidget* parent = nullptr);

    SegmentStrip* tabStrip() const { return tabs_; }
    bool isCompact() const;
    Breadcrumb* breadcrumb() const { return breadcrumb_; }
    FilterField* filterField() const { return filter_; }
    SquareIconButton* queueButton() const { return queueButton_; }
    QWidget* badge() const { return badge_; }
    SquareIconButton* themeButton() const { return themeButton_; }
    SquareIconButton* inspectorButton() const { return inspectorButton_; }
    // The open cleanup-queue popover, or null.
    QueuePopover* queuePopover() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void toggleQueue();
    void updateTheme();
    void updateBadge();
    void layoutBar();

    ScanViewModel& viewModel_;
    SegmentStrip* tabs_;
    QWidget* separator_;
    Breadcrumb* breadcrumb_;
    FilterField* filter_;
    SquareIconButton* queueButton_;
    QWidget* badge_;
    SquareIconButton* themeButton_;
    SquareIconButton* inspectorButton_;
    QPointer<QueuePopover> popover_;
};
