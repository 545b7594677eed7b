#pragma once

#include <string>
#include <string_view>

namespace zorvane {

enum class TextEncoding { kWindows1250, kUtf8 };

// Decided once for the whole text as read: UTF-8 when it is strict UTF-8 (a character cut by the
// 5000-byte read excepted) holding at least one byte of 0x80 or above; Windows-1250 otherwise.
TextEncoding DetectEncoding(std::string_view text);

// A caption's bytes as UTF-8. In a UTF-8 text, pieces of characters left at either end by the
// cuts are dropped.
std::string DecodeCaption(std::string_view bytes, TextEncoding encoding);

}  // namespace zorvane
