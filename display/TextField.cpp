#include "TextField.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace zorvane {

namespace {
constexpr int kHorizontalMargin = 2;  // what a line edit keeps between frame and text
}  // namespace

TextField::TextField(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the panel covers every pixel
}

void TextField::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void TextField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame panel;
    panel.initFrom(this);
    panel.rect = rect();
    panel.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, this);
    panel.state |= QStyle::State_Sunken;
    painter.fillRect(rect(), palette().color(QPalette::Window));
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    const int lineHeight = fontMetrics().height();
    // Centred the way a line edit centres its line, so the text stands where it always stood.
    const QRect line(contents.x() + kHorizontalMargin,
                     contents.y() + (contents.height() - lineHeight + 1) / 2,
                     contents.width() - 2 * kHorizontalMargin, lineHeight);
    painter.setClipRect(contents);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}

}  // namespace zorvane
