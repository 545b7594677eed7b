#pragma once

#include <QString>
#include <chrono>
#include <deque>

#include "LineHealth.h"

namespace zorvane {

// What the window tells of the line's health, in Czech: the faults of the last minute and those
// since the port was opened, as it hears of them (at most once a second).
class HealthText {
  public:
    // The line's health now; the text that tells it, one line for the last minute, one since
    // the opening, and one when the port's driver counts nothing.
    QString Update(const LineHealth& health, std::chrono::steady_clock::time_point now);

  private:
    struct Heard {
        std::chrono::steady_clock::time_point at;
        LineHealth health;
    };
    std::deque<Heard> lastMinute_;  // the oldest first; the one before the minute kept as its start
};

}  // namespace zorvane
