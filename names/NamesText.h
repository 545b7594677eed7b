#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// The text the loader works on and what was left out of it.
struct NamesText {
    std::string bytes;                      // at most 5000 bytes, up to the first zero byte
    bool beyondLimit = false;               // the file holds more than 5000 bytes
    std::optional<std::size_t> zeroByteAt;  // offset of the zero byte that ended the text
};

// Applies the 5000-byte limit and the zero-byte end to the file's leading bytes.
NamesText TextFromBytes(std::string_view raw);

// Reads the file's first bytes; a failed read leaves the text short or empty.
NamesText ReadNamesText(int fd);

// Opens, reads and closes a names file; nothing when it cannot be opened: missing, unreadable,
// or not a regular file (a FIFO or device is never waited on).
std::optional<NamesText> ReadNamesFile(const std::string& path);

}  // namespace zorvane
