#include "ReadLine.h"

#include <algorithm>

#include "NamesLimits.h"

namespace zorvane {

std::size_t ReadLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) {
        line = {};
        return 0;
    }
    const std::size_t lf = text.find('\n');
    std::size_t n = lf == std::string_view::npos ? text.size() : lf + 1;
    n = std::min(n, kLineLimit);
    line = text.substr(0, n);
    text.remove_prefix(n);
    return n;
}

}  // namespace zorvane
