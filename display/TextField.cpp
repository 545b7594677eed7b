#include "TextField.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <limits>

#include "Accessibility.h"

namespace zorvane {

namespace {
constexpr int kHorizontalMargin = 2;  // what a line edit keeps between frame and text

// The toolkit's own words for a text field's menu, in the user's language.
QString MenuText(const char* text, QKeySequence::StandardKey key) {
    return QCoreApplication::translate("QLineEdit", text) + QLatin1Char('\t') +
           QKeySequence(key).toString(QKeySequence::NativeText);
}
}  // namespace

TextField::TextField(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the panel covers every pixel
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
}

void TextField::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

int TextField::SelectionStart() const {
    return std::min<int>(std::min(anchor_, cursor_), text_.size());
}

int TextField::SelectionEnd() const {
    return std::min<int>(std::max(anchor_, cursor_), text_.size());
}

void TextField::SetSelection(int anchor, int cursor) {
    anchor_ = std::max(anchor, 0);
    cursor_ = std::max(cursor, 0);
    update();
}

void TextField::SelectAll() {
    SetSelection(0, std::numeric_limits<int>::max());
}

QString TextField::SelectedText() const {
    return text_.mid(SelectionStart(), SelectionEnd() - SelectionStart());
}

int TextField::OffsetAt(int x) const {
    const QFontMetrics metrics = fontMetrics();
    const int left = TextLine().x();
    int nearest = 0;
    for (int offset = 1; offset <= text_.size(); ++offset) {
        const int edge = left + metrics.horizontalAdvance(text_.left(offset));
        const int best = left + metrics.horizontalAdvance(text_.left(nearest));
        if (std::abs(edge - x) < std::abs(best - x)) nearest = offset;
    }
    return nearest;
}

QRect TextField::CharacterRect(int offset) const {
    const QFontMetrics metrics = fontMetrics();
    const QRect line = TextLine();
    const int left = metrics.horizontalAdvance(text_.left(offset));
    const int right = metrics.horizontalAdvance(text_.left(offset + 1));
    return {line.x() + left, line.y(), right - left, line.height()};
}

QStyleOptionFrame TextField::Panel() const {
    QStyleOptionFrame panel;
    panel.initFrom(this);
    panel.rect = rect();
    panel.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, this);
    // Drawn as the design's disabled field; a focus frame only where the keyboard put the focus.
    panel.state &= ~QStyle::State_Enabled;
    panel.state |= QStyle::State_Sunken;
    if (!(panel.state & QStyle::State_KeyboardFocusChange)) panel.state &= ~QStyle::State_HasFocus;
    panel.palette.setCurrentColorGroup(QPalette::Disabled);
    return panel;
}

QRect TextField::TextLine() const {
    const QStyleOptionFrame panel = Panel();
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    const int lineHeight = fontMetrics().height();
    // Centred the way a line edit centres its line, so the text stands where it always stood.
    return {contents.x() + kHorizontalMargin,
            contents.y() + (contents.height() - lineHeight + 1) / 2,
            contents.width() - 2 * kHorizontalMargin, lineHeight};
}

// The style's line-edit panel takes about a hundred times longer to draw than to copy, and it
// only changes with the field's size and look.
const QPixmap& TextField::PanelImage(const QStyleOptionFrame& option) {
    const PanelLook look{size(),           devicePixelRatioF(),       option.state,
                         option.direction, option.palette.cacheKey(), style()};
    if (look == panelLook_ && !panelImage_.isNull()) return panelImage_;
    panelLook_ = look;
    panelImage_ = QPixmap(size() * look.pixelRatio);
    panelImage_.setDevicePixelRatio(look.pixelRatio);
    QPainter painter(&panelImage_);
    painter.fillRect(rect(), palette().color(QPalette::Disabled, QPalette::Window));
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    return panelImage_;
}

void TextField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (text_ != drawnText_ && PaintsTheWindow(*this, painter)) {
        AnnounceTextDrawn(this, drawnText_);
        drawnText_ = text_;
    }
    const QStyleOptionFrame panel = Panel();
    painter.drawPixmap(0, 0, PanelImage(panel));
    painter.setClipRect(style()->subElementRect(QStyle::SE_LineEditContents, &panel, this));
    // The bytes are what technicians read: full contrast, not the disabled grey.
    painter.setPen(palette().color(QPalette::Active, QPalette::Text));
    const QRect line = TextLine();
    const QPointF baseline(line.x(), line.y() + QFontMetricsF(font()).ascent());
    glyphs_.Draw(painter, baseline, text_, font());
    const int start = SelectionStart();
    const int end = SelectionEnd();
    if (start == end) return;
    const QRect selected = CharacterRect(start).united(CharacterRect(end - 1));
    painter.fillRect(selected, palette().brush(QPalette::Active, QPalette::Highlight));
    painter.setClipRect(selected, Qt::IntersectClip);
    painter.setPen(palette().color(QPalette::Active, QPalette::HighlightedText));
    glyphs_.Draw(painter, baseline, text_, font());
}

void TextField::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const int at = OffsetAt(event->position().toPoint().x());
    SetSelection(event->modifiers() & Qt::ShiftModifier ? anchor_ : at, at);
}

void TextField::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    SetSelection(anchor_, OffsetAt(event->position().toPoint().x()));
}

void TextField::mouseReleaseEvent(QMouseEvent* event) {
    // What X11 users paste with the middle button.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::LeftButton && clipboard->supportsSelection() &&
        !SelectedText().isEmpty())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void TextField::mouseDoubleClickEvent(QMouseEvent*) {
    SelectAll();
}

void TextField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        Copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TextField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(MenuText("&Copy", QKeySequence::Copy), this, &TextField::Copy)
        ->setEnabled(!SelectedText().isEmpty());
    menu.addAction(MenuText("Select All", QKeySequence::SelectAll), this, &TextField::SelectAll);
    menu.exec(event->globalPos());
}

void TextField::focusInEvent(QFocusEvent* event) {
    // As a line edit does: the keyboard arrives with the whole text selected, ready to copy.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        SelectAll();
    update();
}

void TextField::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        SetSelection(cursor_, cursor_);
    update();
}

void TextField::Copy() const {
    if (!SelectedText().isEmpty()) QGuiApplication::clipboard()->setText(SelectedText());
}

}  // namespace zorvane
