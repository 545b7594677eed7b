#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// A lamp's name as a waveform viewer's identifier: "L13_Kompresor" for lamp 13 named
// "Kompresor", "L13" without a name. Letters with accents lose them (Č to C, ř to r), anything
// else but ASCII letters and digits becomes '_', and underscores do not repeat.
std::string SignalName(int lamp, std::string_view caption);

}  // namespace zorvane
