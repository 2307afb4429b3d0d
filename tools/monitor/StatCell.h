#pragma once

#include <QColor>
#include <QWidget>

struct Theme;

// A small label over a value: the label in spaced capitals (callers write it so), the value in the
// given colour, by default the theme's text. setValue() repaints only when the text changes.
class StatCell : public QWidget {
    Q_OBJECT
  public:
    using ColorOf = QColor (*)(const Theme&);

    StatCell(const QString& label, ColorOf valueColor = nullptr, QWidget* parent = nullptr);

    void setValue(const QString& value);
    QString label() const { return label_; }
    QString value() const { return value_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString label_, value_;
    ColorOf valueColor_;
};
