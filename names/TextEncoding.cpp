#include "TextEncoding.h"

#include <algorithm>

#include "NamesLimits.h"
#include "Utf8.h"
#include "Windows1250.h"

namespace zorvane {

TextEncoding DetectEncoding(std::string_view text) {
    const bool high = std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
    // Only the read limit may cut a character; a zero byte or the file's end may not.
    const bool fullRead = text.size() == kTextLimit;
    return high && IsValidUtf8(text, fullRead) ? TextEncoding::kUtf8 : TextEncoding::kWindows1250;
}

std::string DecodeCaption(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::kUtf8) return WholeUtf8Chars(bytes);
    std::string out;
    for (const char c : bytes)
        AppendUtf8(out, Windows1250ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace zorvane
