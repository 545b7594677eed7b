#pragma once

#include <QString>

#include "Frame.h"

namespace zorvane {

// D0..D4 as "%0x %0x %0x %0x %0x " (lower-case hex, no leading zeros, trailing space).
QString PlcHexText(const Frame& frame);
// E0..E2 as "%0x %0x %0x".
QString RtHexText(const Frame& frame);

}  // namespace zorvane
