#include "PortDir.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "PortName.h"

namespace zorvane::bench {

namespace {
[[noreturn]] void Fail(const char* what) {
    std::perror(what);
    std::abort();
}
}  // namespace

PortDir::PortDir(const std::string& device, const std::string& namesFile) {
    namespace fs = std::filesystem;
    std::string pattern = fs::temp_directory_path() / "zorvane-stress-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp");
    path_ = pattern;
    previous_ = fs::current_path();
    if (::chdir(path_.c_str()) != 0) Fail("chdir");
    fs::create_symlink(device, "COM1");
    if (!namesFile.empty()) fs::copy_file(namesFile, "names.ini");
    // The one name the monitor will open must be our link, never a /dev/ttyS* device.
    if (DevicePath("COM1") != "./COM1") Fail("COM1 does not map to ./COM1");
}

PortDir::~PortDir() {
    // Back first, so nothing is left pointing into the removed directory.
    if (::chdir(previous_.c_str()) != 0) Fail("chdir back");
    std::error_code ignored;  // a leftover temp dir is harmless
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace zorvane::bench
