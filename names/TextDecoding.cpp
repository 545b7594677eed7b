#include "TextDecoding.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace zorvane {

namespace {

// Windows-1250 bytes 80..FF; the undefined 81, 83, 88, 90 and 98 map to themselves.
constexpr std::array<char16_t, 128> kWindows1250UpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

char16_t Windows1250ToUnicode(unsigned char b) {
    return b < 0x80 ? char16_t{b} : kWindows1250UpperHalf[b - 0x80];
}

// Windows-1250 needs nothing beyond U+FFFF, so three bytes at most.
void AppendUtf8(std::string& out, char16_t cp) {
    auto put = [&out](unsigned v) { out.push_back(static_cast<char>(v)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

// What a UTF-8 lead byte promises: the character's length and the range of its second byte.
struct Lead {
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead LeadOf(unsigned char b) {
    if (b < 0x80) return {1};
    if (b >= 0xC2 && b <= 0xDF) return {2};
    if (b == 0xE0) return {3, 0xA0};        // no overlong forms
    if (b == 0xED) return {3, 0x80, 0x9F};  // no surrogates
    if (b >= 0xE1 && b <= 0xEF) return {3};
    if (b == 0xF0) return {4, 0x90};  // no overlong forms
    if (b >= 0xF1 && b <= 0xF3) return {4};
    if (b == 0xF4) return {4, 0x80, 0x8F};  // nothing above U+10FFFF
    return {0};
}

// How many bytes from `pos` agree with the character its lead byte announces.
std::size_t FittingBytes(std::string_view text, std::size_t pos, const Lead& lead) {
    std::size_t n = 1;
    while (n < lead.length && pos + n < text.size()) {
        const auto b = static_cast<unsigned char>(text[pos + n]);
        const unsigned char low = n == 1 ? lead.low : 0x80;
        const unsigned char high = n == 1 ? lead.high : 0xBF;
        if (b < low || b > high) break;
        ++n;
    }
    return n;
}

// Length (1..4) of the whole, strictly valid character at `text[pos]` (pos < size), or 0.
std::size_t Utf8CharAt(std::string_view text, std::size_t pos) {
    const Lead lead = LeadOf(static_cast<unsigned char>(text[pos]));
    if (lead.length == 0) return 0;
    return FittingBytes(text, pos, lead) == lead.length ? lead.length : 0;
}

// True when `text[pos..]` is the valid beginning of a character that the end of `text` cuts.
bool Utf8CutAt(std::string_view text, std::size_t pos) {
    const Lead lead = LeadOf(static_cast<unsigned char>(text[pos]));
    const std::size_t fitting = FittingBytes(text, pos, lead);
    return fitting < lead.length && pos + fitting == text.size();
}

bool IsValidUtf8(std::string_view text, bool allowCutEnd) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t n = Utf8CharAt(text, pos);
        if (n == 0) return allowCutEnd && Utf8CutAt(text, pos);
        pos += n;
    }
    return true;
}

std::string WholeUtf8Chars(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t n = Utf8CharAt(text, pos);
        if (n == 0) {
            ++pos;
            continue;
        }
        out.append(text.substr(pos, n));
        pos += n;
    }
    return out;
}

}  // namespace

TextEncoding DetectEncoding(std::string_view text, bool cutByReadLimit) {
    const bool high = std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
    return high && IsValidUtf8(text, cutByReadLimit) ? TextEncoding::kUtf8
                                                     : TextEncoding::kWindows1250;
}

std::size_t CharacterPrefix(std::string_view text, std::size_t chars, TextEncoding encoding) {
    if (encoding == TextEncoding::kWindows1250) return std::min(chars, text.size());
    std::size_t pos = 0;
    for (std::size_t counted = 0; pos < text.size() && counted < chars;) {
        const std::size_t n = Utf8CharAt(text, pos);
        pos += n == 0 ? 1 : n;
        counted += n == 0 ? 0 : 1;
    }
    return pos;
}

std::string DecodeCaption(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::kUtf8) return WholeUtf8Chars(bytes);
    std::string out;
    for (const char c : bytes)
        AppendUtf8(out, Windows1250ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace zorvane
