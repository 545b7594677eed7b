#include "PortGlobals.h"

namespace zorvane {

int PortChoice = 1;
bool CancelPressed = false;

}  // namespace zorvane
