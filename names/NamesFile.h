#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "NamesScan.h"

namespace zorvane {

// The text the loader works on and what was left out of it.
struct NamesText {
    std::string bytes;                      // at most 5000 bytes, up to the first zero byte
    bool cutByReadLimit = false;            // the bytes end where the 5000-byte limit cut them
    bool beyondLimit = false;               // the file holds more than 5000 bytes
    std::optional<std::size_t> zeroByteAt;  // offset of the zero byte that ended the text
};

// Opens, reads and closes a names file. Nothing, with the reason in `failure` (the system's
// text, or "not a regular file"), when it cannot be opened: missing, unreadable, or not a
// regular file (a FIFO or device is never waited on). A failed read leaves the text short.
std::optional<NamesText> ReadNamesFile(const std::string& path, std::string& failure);

// The names a file gives the lamps; nothing when the file cannot be opened.
std::optional<NamesScan> LoadNamesFile(const std::string& path);

}  // namespace zorvane
