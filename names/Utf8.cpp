#include "Utf8.h"

namespace zorvane {

namespace {

// What a lead byte promises: the character's length and the range of its second byte.
struct Lead {
    std::size_t length;
    unsigned char low;
    unsigned char high;
};

Lead LeadOf(unsigned char b) {
    if (b < 0x80) return {1, 0, 0};
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};  // no overlong forms
    if (b == 0xED) return {3, 0x80, 0x9F};  // no surrogates
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};  // no overlong forms
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};  // nothing above U+10FFFF
    return {0, 0, 0};
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

}  // namespace

std::size_t Utf8CharAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    const Lead lead = LeadOf(static_cast<unsigned char>(text[pos]));
    if (lead.length == 0) return 0;
    return FittingBytes(text, pos, lead) == lead.length ? lead.length : 0;
}

bool Utf8CutAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return false;
    const Lead lead = LeadOf(static_cast<unsigned char>(text[pos]));
    const std::size_t fitting = lead.length > 1 ? FittingBytes(text, pos, lead) : 0;
    return fitting > 0 && fitting < lead.length && pos + fitting == text.size();
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

void AppendUtf8(std::string& out, char32_t cp) {
    auto put = [&out](unsigned v) { out.push_back(static_cast<char>(v)); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

}  // namespace zorvane
