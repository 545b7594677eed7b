#pragma once

namespace zorvane {

// The code point of one Windows-1250 byte; the bytes the code page leaves undefined
// (81, 83, 88, 90, 98) map to the code point of the same value.
char32_t Windows1250ToUnicode(unsigned char b);

}  // namespace zorvane
