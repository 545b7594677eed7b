#include "TempDir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace zorvane::simtest {

TempDir::TempDir() {
    char pattern[] = "/tmp/zorvane-sim-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;  // a leftover temp dir is harmless
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace zorvane::simtest
