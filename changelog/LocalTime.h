#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// Local ISO 8601 time with milliseconds and the UTC offset: "2025-03-14T09:26:53.589+01:00".
// Its first ten characters are the local date.
std::string LocalTime(std::chrono::system_clock::time_point time);

// The moment such a text names (its offset says which zone); nothing unless `text` is exactly
// that form, names a real day and lies within the clock's range (about 1678 to 2262).
std::optional<std::chrono::system_clock::time_point> ParseLocalTime(std::string_view text);

// A text of that form, for a real day, that the clock cannot hold.
bool IsFarLocalTime(std::string_view text);

}  // namespace zorvane
