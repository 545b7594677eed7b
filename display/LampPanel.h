#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "Frame.h"
#include "LampImages.h"

namespace zorvane {

class Lamp;

// Draws every lamp of the window: a refresh that changes thirty lamps is one paint event and one
// painter, where a widget per lamp cost thirty of each. The panel lies over all lamps, above
// the window's other controls, but its mask leaves it only the lamps' squares.
class LampPanel : public QWidget {
    Q_OBJECT
  public:
    explicit LampPanel(QWidget* window);

    // Makes lamp n (1..64), a child of the window, so the lamps keep their place among the
    // window's controls.
    Lamp* AddLamp(int n);

    // Stores which lamps the frame lights; nothing is drawn until RepaintChanged.
    void Show(const Frame& frame);
    bool IsOn(int n) const { return (shown_ >> (n - 1)) & 1u; }
    // Asks for a repaint of the lamps whose colour on the screen differs from the one they
    // should show: a lamp changed and changed back since the last paint costs nothing.
    void RepaintChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The lamps painted into the window's own pixels now show their state.
    void TellDrawn(std::uint64_t painted);
    QRect LampRect(int n) const;

    std::uint64_t shown_ = 0;  // bit n - 1: lamp n is lit in the last frame
    std::uint64_t drawn_ = 0;  // as the window's pixels show it, and assistive technology knows
    std::array<Lamp*, kLampCount> lamps_{};
    std::array<QRect, kLampCount> squares_{};  // lamp n - 1's, in the panel
    LampImages faces_;
};

}  // namespace zorvane
