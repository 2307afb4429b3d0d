#pragma once

#include <QImage>
#include <QWidget>

// The preview of an image: scaled down to fit with a margin, centred; never scaled up.
class ImagePage : public QWidget {
    Q_OBJECT
  public:
    explicit ImagePage(QImage image, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};
