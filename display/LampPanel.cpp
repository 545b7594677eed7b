#include "LampPanel.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QVarLengthArray>
#include <bit>
#include <cstring>

#include "Accessibility.h"
#include "Lamp.h"
#include "LampColors.h"
#include "MainLayout.h"

namespace zorvane {

namespace {

QRect Square(int n) {
    return {layout::LampPos(n), layout::kLampSize};
}

// The lamps top to bottom, left to right within a row: the order a region keeps its rectangles in.
std::array<int, kLampCount> LampsByRow() {
    std::array<int, kLampCount> lamps{};
    for (int n = 1; n <= kLampCount; ++n)
        lamps[n - 1] = n;
    std::ranges::sort(lamps, [](int a, int b) {
        const QPoint pa = layout::LampPos(a), pb = layout::LampPos(b);
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return lamps;
}

// The image `painter` draws into, when it draws into one at one pixel per pixel; else null.
QImage* PlainImage(QPainter& painter) {
    QPaintDevice* device = painter.paintEngine()->paintDevice();
    if (device->devType() != QInternal::Image ||
        painter.deviceTransform().type() > QTransform::TxTranslate)
        return nullptr;
    return static_cast<QImage*>(device);
}

// Copies `face` into `image` at `to`, as a painter would without clipping or blending.
void Copy(const QImage& face, QImage& image, QPoint to) {
    const int pixelBytes = image.depth() / 8;
    const qsizetype rowBytes = qsizetype{face.width()} * pixelBytes;
    const qsizetype targetStride = image.bytesPerLine();
    const qsizetype sourceStride = face.bytesPerLine();
    uchar* target = image.bits() + to.y() * targetStride + to.x() * pixelBytes;
    const uchar* source = face.constBits();
    for (int row = face.height(); row > 0; --row, target += targetStride, source += sourceStride)
        std::memcpy(target, source, rowBytes);
}

std::uint64_t LampBits(const Frame& frame) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < frame.data.size(); ++i)
        bits |= std::uint64_t{frame.data[i]} << (8 * i);
    return bits;
}

}  // namespace

LampPanel::LampPanel(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the faces cover every pixel of the mask
    QRect bounds;
    QRegion squares;
    for (int n = 1; n <= kLampCount; ++n) {
        bounds |= Square(n);
        squares += Square(n);
    }
    setGeometry(bounds);
    setMask(squares.translated(-bounds.topLeft()));
    for (int n = 1; n <= kLampCount; ++n)
        squares_[n - 1] = Square(n).translated(-bounds.topLeft());
}

Lamp* LampPanel::AddLamp(int n) {
    auto* lamp = new Lamp(n, Square(n), this, parentWidget());
    lamps_[n - 1] = lamp;
    return lamp;
}

void LampPanel::Show(const Frame& frame) {
    shown_ = LampBits(frame);
}

QRect LampPanel::LampRect(int n) const {
    return squares_[n - 1];
}

void LampPanel::RepaintChanged() {
    const std::uint64_t changed = shown_ ^ drawn_;
    if (changed == 0) return;
    static const std::array<int, kLampCount> byRow = LampsByRow();
    // Already in the order a region keeps, so it is built in one step.
    QVarLengthArray<QRect, kLampCount> squares;
    for (const int n : byRow)
        if ((changed >> (n - 1)) & 1u) squares.append(LampRect(n));
    QRegion region;
    region.setRects(squares.constData(), static_cast<int>(squares.size()));
    update(region);
}

void LampPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Lamps asked for whole are copied straight into the window's image: the painter would
    // clip each to the paint region, which costs it several times the copy.
    QImage* image = PlainImage(painter);
    const QImage::Format format =
        image != nullptr ? image->format() : QImage::Format_ARGB32_Premultiplied;
    const QColor background = palette().color(QPalette::Window);
    const qreal ratio = devicePixelRatioF();
    const QImage off = faces_.Face(LampColorOff, background, layout::kLampSize, ratio, format);
    const QImage on = faces_.Face(LampColorOn, background, layout::kLampSize, ratio, format);
    std::uint64_t painted = 0;
    const auto draw = [&](int n, bool whole) {
        const QImage& face = IsOn(n) ? on : off;
        const QRect square = LampRect(n);
        const QPoint to = painter.deviceTransform().map(square.topLeft());
        if (whole && image != nullptr && image->rect().contains(QRect(to, face.size())))
            Copy(face, *image, to);
        else
            painter.drawImage(square.topLeft(), face);
        painted |= std::uint64_t{1} << (n - 1);
    };
    for (const QRect& area : event->region()) {
        // A refresh asks for whole squares; an expose may ask for any part of the panel.
        const int n = layout::LampAt(area.topLeft() + pos());
        if (n != 0 && area == LampRect(n)) {
            draw(n, true);
            continue;
        }
        for (int lamp = 1; lamp <= kLampCount; ++lamp)
            if (area.intersects(LampRect(lamp))) draw(lamp, false);
    }
    if (PaintsTheWindow(*this, painter)) TellDrawn(painted);
}

void LampPanel::TellDrawn(std::uint64_t painted) {
    std::uint64_t changed = (shown_ ^ drawn_) & painted;
    drawn_ ^= changed;
    for (; changed != 0; changed &= changed - 1)
        AnnounceLampDrawn(lamps_[std::countr_zero(changed)]);
}

}  // namespace zorvane
