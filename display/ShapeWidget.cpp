#include "ShapeWidget.h"

#include <QPainter>

#include "Accessibility.h"
#include "LampImages.h"

namespace zorvane {

ShapeWidget::ShapeWidget(Kind kind, QColor fill, LampImages* faces, QWidget* parent)
    : QWidget(parent), kind_(kind), fill_(fill), drawnFill_(fill), faces_(faces) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShapeWidget::SetFillColor(QColor color) {
    if (color == fill_) return;
    fill_ = color;
    // Paints wait up to a refresh: a lamp already waiting need not tell Qt again.
    if (paintPending_) return;
    paintPending_ = true;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    paintPending_ = false;
    if (fill_ != drawnFill_) {
        drawnFill_ = fill_;
        AnnounceShapeDrawn(this);
    }
    QPainter painter(this);
    if (kind_ == Kind::Circle) {
        painter.drawPixmap(
            0, 0,
            faces_->Face(fill_, palette().color(QPalette::Window), size(), devicePixelRatioF()));
        return;
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    // Half-pixel inset keeps the outline one pixel wide on every side at any screen scale.
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace zorvane
