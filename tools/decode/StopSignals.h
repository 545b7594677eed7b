#pragma once

namespace zorvane {

// From now on Ctrl-C and SIGTERM only raise a flag that the live loop checks, so the port is
// restored on the normal way out. SIGPIPE is ignored: a closed output fails a write instead,
// which ends the loop the same way.
void InstallStopHandlers();
bool StopRequested();

}  // namespace zorvane
