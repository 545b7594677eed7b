#pragma once

#include <ostream>

#include "NamesFile.h"

namespace zorvane {

// The 64 lines "<lamp>\t<caption>": the caption the window shows beside the lamp, without line
// ends, escaped onto one line (TAB and backslash as \t \\, other code points below 0x20 as
// \xHH); empty for a lamp without a name.
void WriteNames(const NamesScan& scan, std::ostream& out);

// Tells a person writing a names file what commonly goes wrong with it.
void WriteWarnings(const NamesText& text, const NamesScan& scan, std::ostream& out);

}  // namespace zorvane
