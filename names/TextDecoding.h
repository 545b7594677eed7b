#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvane {

enum class TextEncoding { kWindows1250, kUtf8 };

// Decided once for the whole text as read: UTF-8 when it is strict UTF-8 holding at least one
// byte of 0x80 or above; Windows-1250 otherwise. `cutByReadLimit` admits one character cut at
// the very end, which only the read limit can do (a zero byte or the file's end cannot).
TextEncoding DetectEncoding(std::string_view text, bool cutByReadLimit);

// How many bytes the first `chars` characters of `text` take: bytes in Windows-1250; whole
// characters in UTF-8, where pieces of characters count for nothing (DecodeCaption drops them).
std::size_t CharacterPrefix(std::string_view text, std::size_t chars, TextEncoding encoding);

// A caption's bytes as UTF-8. In a UTF-8 text, pieces of characters left at either end by the
// cuts are dropped; Windows-1250 bytes the code page leaves undefined keep their value.
std::string DecodeCaption(std::string_view bytes, TextEncoding encoding);

}  // namespace zorvane
