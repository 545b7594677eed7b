#include "LampImages.h"

#include <QPainter>

namespace zorvane {

namespace {

QImage DrawFace(QColor fill, QColor background, QSize size, qreal pixelRatio,
                QImage::Format format) {
    QImage image(size * pixelRatio, format);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(background);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill);
    painter.setRenderHint(QPainter::Antialiasing);
    // Half-pixel inset keeps the 1-pixel outline inside the lamp and sharp.
    painter.drawEllipse(QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5));
    return image;
}

}  // namespace

QImage LampImages::Face(QColor fill, QColor background, QSize size, qreal pixelRatio,
                        QImage::Format format) {
    for (const Entry& e : faces_)
        if (e.fill == fill.rgba() && e.background == background.rgba() && e.size == size &&
            e.pixelRatio == pixelRatio && e.image.format() == format)
            return e.image;
    faces_.push_back({fill.rgba(), background.rgba(), size, pixelRatio,
                      DrawFace(fill, background, size, pixelRatio, format)});
    return faces_.back().image;
}

}  // namespace zorvane
