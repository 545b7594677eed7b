#include "ShapeWidget.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>

#include "Accessibility.h"
#include "LampImages.h"

namespace zorvane {

ShapeWidget::ShapeWidget(Kind kind, QColor fill, LampImages* faces, QWidget* parent)
    : QWidget(parent), kind_(kind), fill_(fill), drawnFill_(fill), faces_(faces) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShapeWidget::RepaintIfChanged() {
    if (fill_ == drawnFill_ || paintPending_) return;
    paintPending_ = true;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A grab draws elsewhere; only what reaches the window's backing store is on the screen.
    QBackingStore* window = backingStore();
    if (window != nullptr && painter.paintEngine()->paintDevice() == window->paintDevice()) {
        paintPending_ = false;
        if (fill_ != drawnFill_) {
            drawnFill_ = fill_;
            AnnounceShapeDrawn(this);
        }
    }
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
