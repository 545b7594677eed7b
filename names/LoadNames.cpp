#include "LoadNames.h"

namespace zorvane {

void LoadNames(int, CaptionSink&) {}  // placeholder until the loader lands

}  // namespace zorvane
