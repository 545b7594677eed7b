#pragma once

#include <chrono>
#include <functional>

namespace zorvane::bench {

// Runs the user-interface thread's event loop, sleeping while idle (never spinning), until
// `done` holds or `limit` passes; true when `done` held. Checked every few milliseconds.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// Runs the event loop for `duration`, nothing else.
void RunFor(std::chrono::milliseconds duration);

}  // namespace zorvane::bench
