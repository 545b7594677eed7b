#include "DisplayCaption.h"

#include <algorithm>

namespace zorvane {

std::string DisplayCaption(const std::string& caption) {
    std::string shown = caption;
    std::erase_if(shown, [](char c) { return c == '\r' || c == '\n'; });
    return shown;
}

}  // namespace zorvane
