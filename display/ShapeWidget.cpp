#include "ShapeWidget.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>

#include "LampImages.h"

namespace zorvane {

ShapeWidget::ShapeWidget(Kind kind, QColor fill, LampImages* faces, QWidget* parent)
    : QWidget(parent), kind_(kind), fill_(fill), faces_(faces) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShapeWidget::RepaintIfChanged() {
    if (fill_ == shown_ || paintPending_) return;
    paintPending_ = true;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A grab draws elsewhere; only what reaches the window's backing store is shown.
    QBackingStore* window = backingStore();
    if (window != nullptr && painter.paintEngine()->paintDevice() == window->paintDevice()) {
        shown_ = fill_;
        paintPending_ = false;
    }
    if (kind_ == Kind::Circle) {
        painter.drawPixmap(
            0, 0,
            faces_->Face(fill_, palette().color(QPalette::Window), size(), devicePixelRatioF()));
        return;
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace zorvane
