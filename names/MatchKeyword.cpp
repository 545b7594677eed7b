#include "MatchKeyword.h"

namespace zorvane {

bool MatchKeyword(std::string_view line, std::string_view keyword) {
    if (keyword.empty() || !line.starts_with(keyword)) return false;
    if (line.size() == keyword.size()) return true;
    const char next = line[keyword.size()];
    // LF too: files written on Linux end their marker lines with a bare LF.
    return next == ' ' || next == '\r' || next == '\n';
}

}  // namespace zorvane
