#pragma once

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace zorvane {

// Two lower-case hex digits.
inline void AppendHex(std::uint8_t b, std::string& out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
}

inline void AppendDecimal(std::uint64_t value, std::string& out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// Writes `text` to standard output at once; on failure says so on standard error, returns false.
inline bool WriteOutput(const std::string& text) {
    // A buffered stream takes the text even when passing it on fails: flush and ask the stream.
    (void)std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    std::fprintf(stderr, "zorvane-decode: cannot write output: %s\n", std::strerror(errno));
    return false;
}

}  // namespace zorvane
