#include "LampImages.h"

#include <QPainter>

namespace zorvane {

namespace {

QPixmap DrawFace(QColor fill, QColor background, QSize size, qreal pixelRatio) {
    QPixmap image(size * pixelRatio);
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

QPixmap LampImages::Face(QColor fill, QColor background, QSize size, qreal pixelRatio) {
    for (const Entry& e : faces_)
        if (e.fill == fill.rgba() && e.background == background.rgba() && e.size == size &&
            e.pixelRatio == pixelRatio)
            return e.image;
    faces_.push_back({fill.rgba(), background.rgba(), size, pixelRatio,
                      DrawFace(fill, background, size, pixelRatio)});
    return faces_.back().image;
}

}  // namespace zorvane
