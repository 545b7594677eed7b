#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvane {

// Length (1..4) of the whole, strictly valid UTF-8 character at `text[pos]`, or 0: a stray or
// overlong form, a surrogate, a value above U+10FFFF, or a character cut short by the end.
std::size_t Utf8CharAt(std::string_view text, std::size_t pos);

// True when `text[pos..]` is the valid beginning of a character that the end of `text` cuts.
bool Utf8CutAt(std::string_view text, std::size_t pos);

// True when `text` is strict UTF-8; `allowCutEnd` admits one cut character at the very end.
bool IsValidUtf8(std::string_view text, bool allowCutEnd = false);

// `text` without the bytes that do not form whole characters (pieces left by cuts).
std::string WholeUtf8Chars(std::string_view text);

void AppendUtf8(std::string& out, char32_t cp);

}  // namespace zorvane
