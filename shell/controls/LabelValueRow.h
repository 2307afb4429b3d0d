#pragma once

#include "shell/controls/ThemedLabel.h"

#include <QFont>
#include <QWidget>

// A label at the left and a value at the right of one row (the disk rows, the inspector's details).
class LabelValueRow : public QWidget {
    Q_OBJECT
  public:
    LabelValueRow(const QString& label, const QString& value, double labelSize, double valueSize, int height,
                  QWidget* parent = nullptr);

    void setLabel(const QString& label);
    void setValue(const QString& value, ThemedLabel::Role role = &Theme::text);
    QString label() const { return label_; }
    QString value() const { return value_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString label_, value_;
    QFont labelFont_, valueFont_;
    ThemedLabel::Role role_ = &Theme::text;
    int height_;
};
