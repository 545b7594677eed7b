#pragma once

namespace zorvane::sim {

// Ctrl-C, SIGTERM and SIGHUP only raise a flag that the send loop checks, so the link is
// removed on the normal way out. SIGPIPE is ignored: a closed pipe shows up as EPIPE.
void InstallStopHandlers();
bool StopRequested();

}  // namespace zorvane::sim
