#pragma once

#include <chrono>
#include <string>

namespace zorvane {

// Local ISO 8601 time with milliseconds and the UTC offset: "2025-03-14T09:26:53.589+01:00".
std::string LocalTime(std::chrono::system_clock::time_point time);

}  // namespace zorvane
