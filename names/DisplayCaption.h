#pragma once

#include <string>

namespace zorvane {

// The caption as a label shows it: without the CR and LF it may still hold (they show nothing).
std::string DisplayCaption(const std::string& caption);

}  // namespace zorvane
