#include "PortName.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>

namespace zorvane {

namespace {

constexpr std::string_view kPrefix = "COM";

// The n of "COM<n>" (n >= 1), or 0 when the name has another form.
int PortNumber(const std::string& name) {
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) return 0;
    int n = 0;
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc{} || end != last || n < 1) return 0;
    return n;
}

bool EntryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string PortName(int choice) {
    return std::string(kPrefix) + std::to_string(choice);
}

std::string DevicePath(const std::string& portName) {
    const int n = PortNumber(portName);
    if (n == 0) return portName;
    const std::string local = "./" + portName;
    if (EntryExists(local)) return local;
    return "/dev/ttyS" + std::to_string(n - 1);
}

std::string DescribeDevice(const std::string& path, std::string_view arrow) {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
    // Not a link (or unreadable): the path alone says enough.
    if (length <= 0) return path;
    return path + std::string(arrow) + std::string(target.data(), static_cast<std::size_t>(length));
}

}  // namespace zorvane
