#pragma once

#include <functional>
#include <string>

#include "LineCore.h"

namespace zorvane {

// Where zorvane-decode reads the line from. Each tells `line` what it reads and writes what the
// consumers put into `out` to standard output after every read, so a pipe shows the lines as
// the bytes come. Each returns the exit status.

// The serial port `portName` (a path, or COMn as the monitor maps it), opened as the monitor
// opens it, until a stop is asked for (SIGINT, SIGTERM, SIGHUP) or `ended` holds, asked after
// every read; a device that goes away is waited for and opened again. Then the port's settings
// are put back. 0 when stopped; 1 when the port cannot be opened or output fails.
int ReadDevice(const std::string& portName, LineCore& line, std::string& out,
               const std::function<bool()>& ended);

// A capture in the file `path`, or standard input for "-" or null, to its end. 1 when it cannot
// be read or output fails.
int ReadCapture(const char* path, LineCore& line, std::string& out);

}  // namespace zorvane
