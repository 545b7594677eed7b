#pragma once

#include <QPixmap>
#include <QString>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>

#include "WordGlyphs.h"

namespace zorvane {

// A single-line text field that shows text read-only, drawn as the style draws a disabled line
// edit but with its text in full contrast. The hex fields change with nearly every paint; a
// line edit lays its text out anew every time, this field draws it from the glyphs of words it
// has seen before. Its text can still be selected with the mouse or Ctrl+A and copied (Ctrl+C,
// context menu), and Tab reaches it.
class TextField : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

  public:
    explicit TextField(QWidget* parent = nullptr);

    QString text() const { return text_; }
    // Repaints only when the text differs.
    void setText(const QString& text);

    // Selected characters [start, end) of the current text; start == end when none. The
    // selection keeps its place while the text changes, cut to the text's length; a whole
    // selected text stays whole.
    int SelectionStart() const;
    int SelectionEnd() const;
    void SetSelection(int anchor, int cursor);
    void SelectAll();
    QString SelectedText() const;
    // The character boundary nearest `x`, and where character `offset` stands (widget
    // coordinates).
    int OffsetAt(int x) const;
    QRect CharacterRect(int offset) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // What the panel is drawn from.
    struct PanelLook {
        QSize size;
        qreal pixelRatio = 0;
        QStyle::State state;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        qint64 palette = 0;
        const QStyle* style = nullptr;
        bool operator==(const PanelLook&) const = default;
    };

    QStyleOptionFrame Panel() const;
    const QPixmap& PanelImage(const QStyleOptionFrame& option);
    QRect TextLine() const;
    void Copy() const;

    QString text_;
    QPixmap panelImage_;
    PanelLook panelLook_;
    WordGlyphs glyphs_;
    QString drawnText_;  // as last painted, what assistive technology was last told
    int anchor_ = 0;     // where the selection started
    int cursor_ = 0;     // where it ends
};

}  // namespace zorvane
