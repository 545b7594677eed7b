#include "LoadNames.h"

namespace zorvane {

void LoadNames(int, CaptionSink&) {}  // placeholder until the loader lands
bool LoadNamesFile(const std::string&, CaptionSink&) { return false; }

}  // namespace zorvane
