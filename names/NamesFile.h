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

// Why a names file gave no text.
struct NamesFileError {
    enum class Step { Open, Read };
    Step step = Step::Open;
    int sysErrno = 0;  // 0: not a regular file

    // The system's text, or "not a regular file".
    std::string Reason() const;
    // "cannot open PATH: REASON" or "cannot read PATH: REASON".
    std::string Describe(const std::string& path) const;
};

// Opens, reads and closes a names file. Nothing when it cannot be opened (missing, unreadable,
// or not a regular file: a FIFO or device is never waited on) or when a read fails.
std::optional<NamesText> ReadNamesFile(const std::string& path, NamesFileError& error);

// The text of the open file `fd`: nothing when a read fails, even after some bytes, so a
// failing file gives no names rather than some.
std::optional<NamesText> ReadNamesText(int fd, NamesFileError& error);

// The names a file gives the lamps; nothing when ReadNamesFile gives no text.
std::optional<NamesScan> LoadNamesFile(const std::string& path, NamesFileError& error);

}  // namespace zorvane
