#pragma once

#include <QColor>

namespace zorvane {

inline const QColor LampColorOn{255, 0, 0};       // lamp bit 1; link silent
inline const QColor LampColorOff{255, 255, 255};  // lamp bit 0
inline const QColor LinkAliveColor{0, 255, 0};    // link indicator after a frame

}  // namespace zorvane
