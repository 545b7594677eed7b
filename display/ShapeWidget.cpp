#include "ShapeWidget.h"

#include <QPainter>

#include "Accessibility.h"

namespace zorvane {

ShapeWidget::ShapeWidget(QColor fill, QWidget* parent)
    : QWidget(parent), fill_(fill), drawnFill_(fill) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShapeWidget::RepaintIfChanged() {
    if (fill_ == drawnFill_ || paintPending_) return;
    paintPending_ = true;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (PaintsTheWindow(*this, painter)) {
        paintPending_ = false;
        if (fill_ != drawnFill_) {
            drawnFill_ = fill_;
            AnnounceShapeDrawn(this);
        }
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    // Half-pixel inset keeps the outline one pixel wide on every side at any screen scale.
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace zorvane
