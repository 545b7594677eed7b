#pragma once

#include <QColor>
#include <QWidget>

namespace zorvane {

// A filled shape with a 1-pixel black outline: the lamps (circles) and the link indicator
// (rectangle). Setting a colour only stores it and schedules a repaint, so a frame that
// changes nothing costs a comparison per lamp.
class ShapeWidget : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Circle, Rectangle };

    ShapeWidget(Kind kind, QColor fill, QWidget* parent = nullptr);

    void SetFillColor(QColor color);
    QColor FillColor() const { return fill_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_;
    QColor fill_;
};

}  // namespace zorvane
