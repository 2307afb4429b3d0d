#pragma once

#include "shell/style/Theme.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <vector>

class QPainter;

namespace rolling_text {

// One character of the new text and the one it replaces, if any.
struct Glyph {
    QChar now;
    QChar before; // null: nothing stood in its place
    bool rolls() const { return now != before; }
};

// Pairs each character of `after` with the one of `before` it replaces. Numbers pair from their last
// digit, as a counter's digits do (a count that grows gains digits at its front); other text pairs
// from its start. When the two texts are not made of the same runs of numbers and words, every
// character pairs by position.
std::vector<Glyph> plan(const QString& before, const QString& after);

} // namespace rolling_text

// Text whose characters roll when it changes, as a counter's digits do (counting up): each character
// that changed rises out of its place and fades while its successor rises in from below, eased out
// over motion::numericText(). The owner paints it with paint() and is repainted at each step.
class RollingText {
  public:
    explicit RollingText(QWidget* owner);

    const QString& text() const { return text_; }
    // Rolls from the current text to `text` while the owner is shown (at once otherwise).
    void setText(const QString& text);
    bool isRolling() const { return progress_ < 1; }
    double progress() const { return progress_; }

    // Draws the text, starting at `origin` on its baseline.
    void paint(QPainter& painter, QPointF origin, const QFont& font, const QColor& color) const;

  private:
    QWidget* owner_;
    QString text_;
    std::vector<rolling_text::Glyph> glyphs_;
    double progress_ = 1;
};

// One line of rolling text in a colour role of the theme, centred in the widget: the scanning screen's
// counters.
class RollingLabel : public QWidget {
    Q_OBJECT
  public:
    using Role = QColor Theme::*;

    RollingLabel(const QString& text, const QFont& font, Role role, QWidget* parent = nullptr);

    QString text() const { return text_.text(); }
    void setText(const QString& text);
    const RollingText& rolling() const { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont font_;
    Role role_;
    RollingText text_;
};
