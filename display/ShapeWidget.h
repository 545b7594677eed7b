#pragma once

#include <QColor>
#include <QWidget>

namespace zorvane {

class LampImages;

// A filled shape with a 1-pixel black outline: the lamps (circles) and the link indicator
// (rectangle). Setting a colour only stores it and schedules a repaint, so a frame that
// changes nothing costs a comparison per lamp. Both kinds paint every pixel they cover.
class ShapeWidget : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Circle, Rectangle };

    // A circle copies its face from `faces`, which must outlive it; a rectangle needs none.
    ShapeWidget(Kind kind, QColor fill, LampImages* faces, QWidget* parent = nullptr);

    void SetFillColor(QColor color);
    QColor FillColor() const { return fill_; }
    Kind ShapeKind() const { return kind_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_;
    QColor fill_;
    QColor drawnFill_;  // as last painted, what assistive technology was last told
    LampImages* faces_;
    bool paintPending_ = false;  // update() called, paintEvent() not yet run
};

}  // namespace zorvane
