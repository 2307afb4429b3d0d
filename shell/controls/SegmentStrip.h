#pragma once

#include "shell/style/Theme.h"

#include <QEasingCurve>
#include <QFont>
#include <QWidget>

#include <vector>

// A row of segments (symbol and title) with one selected, drawn by one widget: the top bar's tabs,
// the Explore tab's mode strip and its colour-mode picker. The selection is a filled capsule (or
// rounded rectangle) behind the selected segment; with `glide` it slides from the old segment to the
// new one while the segments resize. Clicking a segment emits activated(), also for the selected one.
class SegmentStrip : public QWidget {
    Q_OBJECT
  public:
    struct Segment {
        QString symbol;
        QString title;
        QString help; // tool tip
    };

    enum class Frame { none, cardCapsule, outlinedRect };
    enum class Titles { all, selectedOnly, none };

    struct Style {
        double height = 32; // of a segment
        double spacing = 4; // between segments
        double inset = 0;   // padding around the row
        Frame frame = Frame::none;
        double frameRadius = 10;     // outlinedRect only
        double selectionRadius = -1; // below 0: a capsule
        double symbolSize = 11.5;
        double titleSize = 13;
        QFont::Weight selectedWeight = QFont::DemiBold;
        QFont::Weight normalWeight = QFont::Medium;
        double iconSpacing = 7;
        double padSelected = 13;
        double padNormal = 13;
        QColor Theme::*selectionFill = &Theme::ink;
        QColor Theme::*selectedText = &Theme::onInk;
        QColor Theme::*normalText = &Theme::textSecondary;
        bool glide = true;
    };

    SegmentStrip(std::vector<Segment> segments, Style style, Titles titles, QWidget* parent = nullptr);

    int count() const { return int(segments_.size()); }
    int selected() const { return selected_; }
    // Moves the selection; glides when the style says so (and animations are on).
    void setSelected(int index);
    Titles titles() const { return titles_; }
    void setTitles(Titles titles);
    const Style& style() const { return style_; }
    void setStyle(const Style& style);
    // The curve of the glide (the tab change's or the mode change's spring).
    void setGlideCurve(int durationMs, const QEasingCurve& easing);

    // Whether segment `index` shows its title once the selection has settled.
    bool showsTitle(int index) const;
    // The width of the row for a title rule (and another style), at rest.
    double idealWidth(Titles titles) const { return idealWidth(titles, style_); }
    double idealWidth(Titles titles, const Style& style) const;
    // Segment rectangles at rest, in widget coordinates.
    std::vector<QRectF> segmentRects() const { return layout(selected_, titles_); }
    // Where the selection is drawn now: between the old segment and the new one while it glides.
    QRectF selectionRect() const;
    int segmentAt(QPointF point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    void activated(int index);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool titleShown(int index, int selected, Titles titles) const;
    double segmentWidth(int index, int selected, Titles titles, const Style& style) const;
    std::vector<QRectF> layout(int selected, Titles titles) const;
    QFont titleFont(bool selected) const { return titleFont(selected, style_); }
    static QFont titleFont(bool selected, const Style& style);
    void startTransition(int oldSelected, Titles oldTitles);

    std::vector<Segment> segments_;
    Style style_;
    Titles titles_;
    int selected_ = 0;
    int pressed_ = -1;
    // The running transition: from this selection and title rule to the current ones.
    int fromSelected_ = 0;
    Titles fromTitles_;
    double progress_ = 1;
    int glideMs_ = 0;
    QEasingCurve glideEasing_;
};
