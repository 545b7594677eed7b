#pragma once

#include <QColor>
#include <QWidget>

namespace zorvane {

class LampImages;

// A filled shape with a 1-pixel black outline: the lamps (circles) and the link indicator
// (rectangle). Setting a colour only stores it; the owner asks for the repaint, for the lamps
// just before the window paints, so a lamp that changed and changed back in between is not
// drawn again. Both kinds paint every pixel they cover.
class ShapeWidget : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Circle, Rectangle };

    // A circle copies its face from `faces`, which must outlive it; a rectangle needs none.
    ShapeWidget(Kind kind, QColor fill, LampImages* faces, QWidget* parent = nullptr);

    void SetFillColor(QColor color) { fill_ = color; }
    QColor FillColor() const { return fill_; }
    Kind ShapeKind() const { return kind_; }
    // Schedules a repaint when the colour differs from the one the window shows.
    void RepaintIfChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_;
    QColor fill_;
    // As last painted on the window: what the screen shows and assistive technology was told.
    QColor drawnFill_;
    LampImages* faces_;
    bool paintPending_ = false;  // update() called, paintEvent() not yet run
};

}  // namespace zorvane
