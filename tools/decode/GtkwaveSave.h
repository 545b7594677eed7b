#pragma once

#include <optional>
#include <string>

#include "ChangeLog.h"
#include "Timeline.h"

namespace zorvane {

// Beside the dump OUT.vcd, OUT.gtkw: a GTKWave save file that opens the dump showing `link`,
// `port` and the 64 lamps (`gtkwave OUT.gtkw`), the whole of it in view when its `end` is known.
// A save file someone else wrote (GTKWave, once the user saved a view of their own) is left
// alone. Returns what the user should hear, or "".
std::string WriteGtkwaveSave(const std::string& dumpPath, const LampCaptions& captions,
                             std::optional<Micros> end = std::nullopt);

}  // namespace zorvane
