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

// The style's line-edit panel takes about a hundred times longer to draw than to copy, and it
// only changes with the field's size and look.
const QPixmap& TextField::Panel(const QStyleOptionFrame& option) {
    const PanelLook look{size(),           devicePixelRatioF(),       option.state,
                         option.direction, option.palette.cacheKey(), style()};
    if (look == panelLook_ && !panel_.isNull()) return panel_;
    panelLook_ = look;
    panel_ = QPixmap(size() * look.pixelRatio);
    panel_.setDevicePixelRatio(look.pixelRatio);
    QPainter painter(&panel_);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    return panel_;
}

void TextField::paintEvent(QPaintEvent*) {
    QStyleOptionFrame panel;
    panel.initFrom(this);
    panel.rect = rect();
    panel.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, this);
    panel.state |= QStyle::State_Sunken;
    QPainter painter(this);
    painter.drawPixmap(0, 0, Panel(panel));
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    const QFontMetricsF metrics(font());
    // Centred the way a line edit centres its line, so the text stands where it always stood.
    // One line from its baseline: the same pixels as a rectangle aligned top left, without
    // the rectangle's layout.
    const int lineHeight = fontMetrics().height();
    const QPointF baseline(
        contents.x() + kHorizontalMargin,
        contents.y() + (contents.height() - lineHeight + 1) / 2 + metrics.ascent());
    painter.setClipRect(contents);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(baseline, text_);
}

}  // namespace zorvane
