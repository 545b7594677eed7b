#include "WriteOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zorvane {

bool WriteOutput(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size()) return true;
    std::fprintf(stderr, "zorvane-decode: cannot write output: %s\n", std::strerror(errno));
    return false;
}

}  // namespace zorvane
