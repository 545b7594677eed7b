#pragma once

#include <ostream>

#include "NamesFile.h"

namespace zorvane {

// The 64 lines "<label>\t<caption>", the caption escaped onto one line: CR, LF, TAB and backslash
// as \r \n \t \\, other code points below 0x20 as \xHH; empty for a label that gets no name.
void WriteNames(const NamesScan& scan, std::ostream& out);

// Tells a person writing a names file what commonly goes wrong with it.
void WriteWarnings(const NamesText& text, const NamesScan& scan, std::ostream& out);

}  // namespace zorvane
