#pragma once

#include "model/QuickWins.h"

#include <QWidget>

class ScanViewModel;

// One kind of quick win in the sidebar: the kind's symbol and title, its item count, the bytes of its
// matches and a chevron. A click shows the largest match in Explore; the context menu stages every
// match or reveals the largest in the file manager.
class QuickWinRow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 51;

    QuickWinRow(ScanViewModel& model, QuickWins::Category category, QWidget* parent = nullptr);

    const QuickWins::Category& category() const { return category_; }
    bool isHovered() const { return hovering_; }

    static QString symbol(QuickWins::Kind kind);
    // Also the reason given to the items the row stages.
    static QString title(QuickWins::Kind kind);
    // "1 item", "0 items", "1,234 items".
    static QString countText(int64_t itemCount);
    // "Add all <n> to Cleanup", n being the number of listed matches.
    static QString stageAllTitle(const QuickWins::Category& category);

    // The click: Explore, then the largest match becomes the current folder and selection (a single
    // folder match) or is revealed in the views.
    static void open(ScanViewModel& model, const QuickWins::Category& category);
    // Explore, then every match not yet staged is staged with the kind's title as reason, in order.
    static void stageAll(ScanViewModel& model, const QuickWins::Category& category);
    // Explore, then the largest match is shown in the file manager.
    static void revealLargest(ScanViewModel& model, const QuickWins::Category& category);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    ScanViewModel& model_;
    QuickWins::Category category_;
    bool hovering_ = false;
};
