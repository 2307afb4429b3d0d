#include "shell/panels/preview/ImagePage.h"

#include <QPainter>

ImagePage::ImagePage(QImage image, QWidget* parent) : QWidget(parent), image_(std::move(image)) {}

void ImagePage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF room = QRectF(rect()).adjusted(16, 16, -16, -16);
    QSizeF size = image_.size();
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room.size(), Qt::KeepAspectRatio);
    const QRectF target(room.center().x() - size.width() / 2, room.center().y() - size.height() / 2,
                        size.width(), size.height());
    painter.drawImage(target, image_);
}
