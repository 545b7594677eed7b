#pragma once

#include <array>
#include <string>

#include "Frame.h"
#include "NamesScan.h"

namespace zorvane {

// What the window shows beside each lamp (index lamp-1), line ends dropped; empty for a lamp
// without a name.
using LampCaptions = std::array<std::string, kLampCount>;

// The window puts the 25th input name beside lamp 26 and the 26th beside lamp 25; every other
// name beside its own lamp.
LampCaptions CaptionsBesideLamps(const NamesScan& scan);

}  // namespace zorvane
