#pragma once

#include "model/ViewModes.h"

#include <QWidget>

class DepthSlider;
class PressableButton;
class ScanViewModel;
class SegmentStrip;
class ThemedLabel;

// The Explore tab's mode bar: the strip of the nine modes and the controls of the selected one
// (caption, colour-mode picker, depth, abbreviated labels), in the first of five arrangements that
// fits the width: one row with the caption, one row without it, one row with a compact picker, two
// rows, two rows compact. Modes without a colour picker keep their caption in every arrangement. What
// each mode shows comes from its description in the ViewRegistry.
class ModeBar : public QWidget {
    Q_OBJECT
  public:
    enum class Arrangement { oneRowCaption, oneRow, oneRowCompact, twoRows, twoRowsCompact };

    explicit ModeBar(ScanViewModel& viewModel, QWidget* parent = nullptr);

    // The first arrangement whose ideal width fits `width`; the last when none does.
    Arrangement arrangementFor(int width) const;
    Arrangement arrangement() const { return arrangement_; }

    SegmentStrip* modeStrip() const { return modes_; }
    SegmentStrip* colorPicker() const { return colors_; }
    ThemedLabel* caption() const { return caption_; }
    QWidget* depthControl() const { return depth_; }
    DepthSlider* depthSlider() const { return slider_; }
    PressableButton* abbreviateToggle() const { return abbreviate_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Shown {
        bool caption, picker, depth, initials;
    };
    Shown shownFor(Arrangement arrangement) const;
    int controlsWidth(Arrangement arrangement) const;
    int controlsHeight(Arrangement arrangement) const;
    static bool isCompact(Arrangement a) {
        return a == Arrangement::oneRowCompact || a == Arrangement::twoRowsCompact;
    }
    static bool isTwoRows(Arrangement a) {
        return a == Arrangement::twoRows || a == Arrangement::twoRowsCompact;
    }
    void refreshControls();
    void place();

    ScanViewModel& viewModel_;
    SegmentStrip* modes_;
    ThemedLabel* caption_;
    SegmentStrip* colors_;
    QWidget* depth_;
    DepthSlider* slider_;
    ThemedLabel* depthValue_;
    PressableButton* abbreviate_;
    Arrangement arrangement_ = Arrangement::oneRowCaption;
};
