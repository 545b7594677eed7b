#pragma once

#include <QPixmap>
#include <QString>
#include <QStyle>
#include <QWidget>

class QStyleOptionFrame;

namespace zorvane {

// A single-line text field that only shows text, drawn as the style draws a line edit. The hex
// fields change up to 436 times a second each; a line edit lays its text out anew every time,
// this field only stores it and repaints.
class TextField : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

  public:
    explicit TextField(QWidget* parent = nullptr);

    QString text() const { return text_; }
    // Repaints only when the text differs.
    void setText(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

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
    const QPixmap& Panel(const QStyleOptionFrame& option);

    QString text_;
    QPixmap panel_;
    PanelLook panelLook_;
};

}  // namespace zorvane
