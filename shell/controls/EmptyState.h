#pragma once

#include "shell/style/Theme.h"

#include <QWidget>

class QLayout;
class QVBoxLayout;
class ThemedLabel;

// What a screen or an area shows when it has nothing to list: a symbol (plain, or on a rounded
// chip-coloured tile), a title and a wrapped line of text, each optional, centred as one group,
// with room for actions below them (the start screen's buttons). Follows theme changes.
class EmptyState : public QWidget {
    Q_OBJECT
  public:
    struct Style {
        double symbolSize = 35; // the text size the symbol stands beside
        QColor Theme::*symbolColor = &Theme::textSecondary;
        double tile = 0; // side of the tile behind the symbol; 0 for none
        double tileRadius = 22;
        double titleSize = 17;
        double textSize = 12.5;
        int textWidth = 400; // the text wraps at this width, or at the area's when that is narrower
        int spacing = 8;
    };
    // The start screen's look: a large tile, a large title.
    static Style startScreen();

    EmptyState(const QString& symbol, const QString& title, const QString& text, const Style& style,
               QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setText(const QString& text);
    QString title() const;
    QString text() const;
    ThemedLabel* textLabel() const { return text_; }

    // Puts a layout (a row of buttons) under the text, inside the centred group.
    void addBelow(QLayout* layout);

    // The text narrows with the area, so the area may be narrower than the text's own width.
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitText();

    Style style_;
    QVBoxLayout* column_;
    ThemedLabel* title_;
    ThemedLabel* text_;
};
