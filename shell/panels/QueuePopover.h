#pragma once

#include <QPointer>
#include <QWidget>

class ScanViewModel;

// The cleanup-queue popover: a borderless window of 460 x 520 hanging below its anchor button, with
// a small arrow pointing at it, holding the registered cleanup-queue screen (built anew each time it
// opens). A press anywhere outside it closes it; a press on the anchor closes it without reaching the
// anchor, so the click that closes it does not open it again. Dialogs opened from its content count
// as inside. Escape, the content's dismissRequested() and the application going to the background
// close it too. Deletes itself when closed.
class QueuePopover : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kContentSize{460, 520};
    static constexpr int kArrowHeight = 9;

    QueuePopover(ScanViewModel& viewModel, QWidget* anchor);
    ~QueuePopover() override;

    // Shows it below the anchor, inside the anchor's screen.
    void popup();
    QWidget* content() const { return content_; }

  signals:
    void closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool isInside(QObject* object) const;
    QPainterPath outline(double inset = 0) const;

    QPointer<QWidget> anchor_;
    QWidget* content_ = nullptr;
    double arrowX_ = kContentSize.width() / 2.0;
};
