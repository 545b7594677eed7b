#pragma once

#include <string_view>

namespace zorvane {

// True when `line` begins with `keyword` (exact bytes) and ends there or goes on with a space,
// CR or LF. False for an empty keyword.
bool MatchKeyword(std::string_view line, std::string_view keyword);

}  // namespace zorvane
