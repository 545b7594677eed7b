#pragma once

#include <cstddef>

namespace zorvane {

inline constexpr std::size_t kTextLimit = 5000;   // bytes read from the file
inline constexpr std::size_t kLineLimit = 250;    // bytes of one line, line end included
inline constexpr std::size_t kCaptionLimit = 12;  // bytes of one caption, line end included
inline constexpr int kInputNames = 40;            // Label1..Label40
inline constexpr int kOutputNames = 24;           // Label41..Label64
inline constexpr int kNameCount = kInputNames + kOutputNames;

}  // namespace zorvane
