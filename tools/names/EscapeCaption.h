#pragma once

#include <string>

namespace zorvane {

// A caption on one output line: CR, LF, TAB and backslash as \r \n \t \\, other code points
// below 0x20 as \xHH.
std::string EscapeCaption(const std::string& caption);

}  // namespace zorvane
