#pragma once

#include <charconv>
#include <cstdint>
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

}  // namespace zorvane
