#include "Xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "UniqueFd.h"

namespace zorvane::e2e {

namespace {

using namespace std::chrono;

constexpr auto kStartLimit = seconds(10);

// Reads the display number the server writes once it accepts connections.
std::string ReadDisplayNumber(int fd, Child& server) {
    std::string text;
    const auto end = steady_clock::now() + kStartLimit;
    while (text.find('\n') == std::string::npos && steady_clock::now() < end) {
        if (server.Exited()) return {};
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;  // time-out or EINTR: look again
        char buf[32];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return {};
        text.append(buf, static_cast<std::size_t>(n));
    }
    const auto newline = text.find('\n');
    if (newline == std::string::npos || newline == 0) return {};
    return ":" + text.substr(0, newline);
}

}  // namespace

Xvfb::Xvfb() {
    const std::string binary = FindInPath("Xvfb");
    if (binary.empty()) {
        error_ = "Xvfb not found: install the package xvfb";
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error_ = "pipe2 failed";
        return;
    }
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);
    ChildSpec spec;
    spec.argv = {binary,     "-displayfd", std::to_string(writeEnd.Get()),
                 "-noreset", "-nolisten",  "tcp",
                 "-screen",  "0",          "1024x768x24"};
    spec.inheritFd = writeEnd.Get();
    server_ = std::make_unique<Child>(spec);
    writeEnd.Reset();  // only the server writes now
    display_ = ReadDisplayNumber(readEnd.Get(), *server_);
    if (display_.empty()) error_ = "Xvfb did not report a display within 10 s";
}

}  // namespace zorvane::e2e
