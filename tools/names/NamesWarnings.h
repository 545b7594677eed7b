#pragma once

#include <ostream>

#include "NamesFile.h"

namespace zorvane {

// Tells a person writing a names file what commonly goes wrong with it.
void WriteWarnings(const NamesText& text, const NamesScan& scan, std::ostream& out);

}  // namespace zorvane
