#pragma once

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "Frame.h"
#include "TextAppend.h"

namespace zorvane {

// The line writers put their text at `out` and return where it ends; callers give them room.

// Two lower-case hex digits.
inline char* WriteHex(char* out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out[0] = kDigits[b >> 4];
    out[1] = kDigits[b & 0x0F];
    return out + 2;
}

inline constexpr std::size_t kDecimalMax = 20;  // digits of the largest 64-bit number

inline char* WriteDecimal(char* out, std::uint64_t value) {
    return std::to_chars(out, out + kDecimalMax, value).ptr;
}

inline constexpr std::size_t kDataBytesText = 3 * kPlcBytes + 3 * kRtBytes;

// " D0 D1 D2 D3 D4 E0 E1 E2", each as two hex digits.
inline char* WriteDataBytes(char* out, const Frame& frame) {
    for (const std::uint8_t b : frame.data) {
        *out++ = ' ';
        out = WriteHex(out, b);
    }
    return out;
}

// Writes `text` to standard output (or `to`) at once; on failure says so on standard error,
// returns false.
inline bool WriteOutput(const std::string& text, std::FILE* to = stdout) {
    // A buffered stream takes the text even when passing it on fails: flush and ask the stream.
    (void)std::fwrite(text.data(), 1, text.size(), to);
    if (std::fflush(to) == 0 && !std::ferror(to)) return true;
    std::fprintf(stderr, "zorvane-decode: cannot write output: %s\n", std::strerror(errno));
    return false;
}

}  // namespace zorvane
