#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace zorvane::bench {

namespace {

constexpr int kReadyLimitMs = 10000;

// Reads the display number Xvfb writes once it accepts clients; empty on failure.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    char c = 0;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kReadyLimitMs) <= 0) return {};
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {};
        if (c == '\n') return number;
        number += c;
    }
}

void Reap(pid_t pid) {
    (void)::kill(pid, SIGTERM);  // already gone is fine
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::unique_ptr<XvfbServer> XvfbServer::Start(std::string& error) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        error = "pipe failed";
        return nullptr;
    }
    // Everything the child needs is built before fork: after it, only exec-safe calls.
    const std::string fd = std::to_string(ready[1]);
    std::vector<const char*> argv = {"Xvfb",        "-displayfd", fd.c_str(), "-screen",  "0",
                                     "1024x768x24", "-nolisten",  "tcp",      "-noreset", nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        (void)::dup2(null, STDOUT_FILENO);  // a child that cannot be quietened still runs
        (void)::dup2(null, STDERR_FILENO);
        (void)::fcntl(ready[1], F_SETFD, 0);  // Xvfb writes its display number here
        ::execvp(argv[0], const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    ::close(ready[1]);
    if (pid < 0) {
        ::close(ready[0]);
        error = "fork failed";
        return nullptr;
    }
    const std::string number = ReadDisplayNumber(ready[0]);
    ::close(ready[0]);
    if (number.empty()) {
        Reap(pid);
        error = "Xvfb did not start (is the xvfb package installed?)";
        return nullptr;
    }
    return std::unique_ptr<XvfbServer>(new XvfbServer(pid, ":" + number));
}

XvfbServer::~XvfbServer() {
    Reap(pid_);
}

}  // namespace zorvane::bench
