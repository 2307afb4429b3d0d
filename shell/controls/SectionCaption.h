#pragma once

#include <QWidget>

// A section caption: the title upper-cased in small spaced letters, and optional trailing text at
// the right, both in the theme's tertiary text colour, on one baseline.
class SectionCaption : public QWidget {
    Q_OBJECT
  public:
    SectionCaption(const QString& title, const QString& trailing, QWidget* parent = nullptr);

    void setTrailing(const QString& trailing);
    QString trailing() const { return trailing_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_, trailing_;
};
