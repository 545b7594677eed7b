#include "TextField.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace zorvane {

namespace {

constexpr int kHorizontalMargin = 2;  // what a line edit keeps between frame and text

QStyleOptionFrame PanelOption(const QWidget* field) {
    QStyleOptionFrame panel;
    panel.initFrom(field);
    panel.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, field);
    panel.state |= QStyle::State_Sunken;
    return panel;
}

}  // namespace

TextField::TextField(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the panel covers every pixel
}

void TextField::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void TextField::changeEvent(QEvent* event) {
    // What the panel is drawn from has changed.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::EnabledChange)
        panel_ = QPixmap();
    QWidget::changeEvent(event);
}

const QPixmap& TextField::Panel() {
    const qreal ratio = devicePixelRatioF();
    if (panel_.size() == size() * ratio) return panel_;
    panel_ = QPixmap(size() * ratio);
    panel_.setDevicePixelRatio(ratio);
    panel_.fill(palette().color(QPalette::Window));
    QPainter painter(&panel_);
    const QStyleOptionFrame panel = PanelOption(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    return panel_;
}

void TextField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, Panel());
    const QStyleOptionFrame panel = PanelOption(this);
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
