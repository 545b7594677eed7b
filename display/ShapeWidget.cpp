#include "ShapeWidget.h"

#include <QPainter>

namespace zorvane {

ShapeWidget::ShapeWidget(Kind kind, QColor fill, QWidget* parent)
    : QWidget(parent), kind_(kind), fill_(fill) {
    // Only the circle's corners show what lies behind it.
    setAttribute(Qt::WA_OpaquePaintEvent, kind == Kind::Rectangle);
}

void ShapeWidget::SetFillColor(QColor color) {
    if (color == fill_) return;
    fill_ = color;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    if (kind_ == Kind::Rectangle) {
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // Half-pixel inset keeps the 1-pixel outline inside the widget and sharp.
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace zorvane
