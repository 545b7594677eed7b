#pragma once

#include <cstddef>
#include <string_view>

namespace zorvane {

// Moves the next line (through its LF, at most 250 bytes) off the front of `text` into `line`
// and returns its length; returns 0 with an empty `line` when `text` is empty.
std::size_t ReadLine(std::string_view& text, std::string_view& line);

}  // namespace zorvane
