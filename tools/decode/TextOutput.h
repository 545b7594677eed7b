#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "TextAppend.h"

namespace zorvane {

// Writes `text` to standard output (or `to`) at once; on failure says so on standard error,
// returns false.
inline bool WriteOutput(const std::string& text, std::FILE* to = stdout) {
    // A buffered stream takes the text even when passing it on fails: flush and ask the stream.
    (void)std::fwrite(text.data(), 1, text.size(), to);
    if (std::fflush(to) == 0 && !std::ferror(to)) return true;
    std::fprintf(stderr, "zorvane-decode: cannot write output: %s\n", std::strerror(errno));
    return false;
}

}  // namespace zorvane
