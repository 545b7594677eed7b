#include "FrameText.h"

#include <cstdint>

namespace zorvane {

namespace {

// "%0x": lower-case hex without leading zeros.
char* WriteHex(char* out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (b >= 0x10) *out++ = kDigits[b >> 4];
    *out++ = kDigits[b & 0x0F];
    return out;
}

}  // namespace

QString PlcHexText(const Frame& f) {
    char text[3 * kPlcBytes];
    char* end = text;
    for (const std::uint8_t b : f.Plc()) {
        end = WriteHex(end, b);
        *end++ = ' ';
    }
    return QString::fromLatin1(text, end - text);
}

QString RtHexText(const Frame& f) {
    char text[3 * kRtBytes];
    char* end = text;
    for (const std::uint8_t b : f.Rt()) {
        if (end != text) *end++ = ' ';
        end = WriteHex(end, b);
    }
    return QString::fromLatin1(text, end - text);
}

}  // namespace zorvane
