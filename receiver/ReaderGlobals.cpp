#include "ReaderGlobals.h"

namespace zorvane {

std::uint8_t RxByte = 0;
bool ByteReceived = false;
std::string StatusLine;

}  // namespace zorvane
