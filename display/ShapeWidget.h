#pragma once

#include <QColor>
#include <QWidget>

namespace zorvane {

// A filled rectangle with a 1-pixel black outline: the link indicator. Setting a colour only
// stores it; RepaintIfChanged asks for the repaint, so a colour set again and again costs
// nothing. It paints every pixel it covers.
class ShapeWidget : public QWidget {
    Q_OBJECT
  public:
    explicit ShapeWidget(QColor fill, QWidget* parent = nullptr);

    void SetFillColor(QColor color) { fill_ = color; }
    QColor FillColor() const { return fill_; }
    // Schedules a repaint when the colour differs from the one the window shows.
    void RepaintIfChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor fill_;
    // As last painted on the window: what the screen shows and assistive technology was told.
    QColor drawnFill_;
    bool paintPending_ = false;  // update() called, paintEvent() not yet run
};

}  // namespace zorvane
