#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <vector>

namespace zorvane {

// Lamp faces drawn once per colour, size, background and pixel format, then only copied: an
// antialiased circle tessellated on every paint costs far more than a copy. The background
// fills the corners, so a lamp paints every pixel it covers and nothing behind it is repainted.
class LampImages {
  public:
    // An antialiased circle filled with `fill`, with a 1-pixel black outline.
    QImage Face(QColor fill, QColor background, QSize size, qreal pixelRatio,
                QImage::Format format);

  private:
    struct Entry {
        QRgb fill;
        QRgb background;
        QSize size;
        qreal pixelRatio;
        QImage image;
    };
    std::vector<Entry> faces_;  // a handful: two colours at one size
};

}  // namespace zorvane
