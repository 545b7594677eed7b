#pragma once

#include <string>

#include "LiveSink.h"

namespace zorvane {

// Opens the port at `path` as the monitor does and hands everything read to `sink` until Ctrl-C
// or SIGTERM; a device that goes away is waited for and opened again. Then the port is restored.
// Returns the exit status: 0 when stopped, 1 when the port cannot be opened or output fails.
int DecodeDevice(const std::string& path, LiveSink& sink);

}  // namespace zorvane
