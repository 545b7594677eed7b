#include "SignalName.h"

namespace zorvane {

namespace {

// The letters with accents of the names files' code page, each two bytes in UTF-8, and the
// letters they become.
constexpr std::string_view kAccented =
    "áäâăąćčçďđéëěęíîĺľłńňóöôőŕřśšşťţúůüűýźžż"
    "ÁÄÂĂĄĆČÇĎĐÉËĚĘÍÎĹĽŁŃŇÓÖÔŐŔŘŚŠŞŤŢÚŮÜŰÝŹŽŻ";
constexpr std::string_view kPlain =
    "aaaaacccddeeeeiilllnnoooorrsssttuuuuyzzz"
    "AAAAACCCDDEEEEIILLLNNOOOORRSSSTTUUUUYZZZ";
static_assert(kAccented.size() == 2 * kPlain.size());

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The plain letter for the character at `at`, and how many bytes it takes.
std::pair<char, std::size_t> Plain(std::string_view text, std::size_t at) {
    if (IsAsciiAlnum(text[at])) return {text[at], 1};
    for (std::size_t i = 0; i + 1 < kAccented.size(); i += 2)
        if (text.substr(at, 2) == kAccented.substr(i, 2)) return {kPlain[i / 2], 2};
    return {'_', 1};
}

}  // namespace

std::string SignalName(int lamp, std::string_view caption) {
    std::string body;
    for (std::size_t at = 0; at < caption.size();) {
        const auto [c, size] = Plain(caption, at);
        at += size;
        if (c != '_' || (!body.empty() && body.back() != '_')) body += c;
    }
    if (!body.empty() && body.back() == '_') body.pop_back();
    return "L" + std::to_string(lamp) + (body.empty() ? "" : "_" + body);
}

}  // namespace zorvane
