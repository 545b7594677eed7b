#include "LineSources.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <thread>

#include "LineSettings.h"
#include "PortName.h"
#include "ReconnectingPort.h"
#include "StopRequest.h"
#include "TextOutput.h"
#include "UniqueFd.h"

namespace zorvane {

namespace {

// Lines out now, for `| tee log.txt`; false when they cannot be written.
bool Flush(std::string& out) {
    if (out.empty()) return true;
    const bool written = WriteOutput(out);
    out.clear();
    return written;
}

int ReadAll(int fd, const char* name, LineCore& line, std::string& out) {
    static unsigned char buffer[1 << 20];
    out.reserve(sizeof buffer);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            std::fprintf(stderr, "zorvane-decode: cannot read %s: %s\n", name,
                         std::strerror(errno));
            return 1;
        }
        if (n == 0) {  // every chunk's lines are out already
            line.Finish({});
            return Flush(out) ? 0 : 1;
        }
        line.Read(std::span(buffer, static_cast<std::size_t>(n)));
        if (!Flush(out)) return 1;
    }
}

}  // namespace

int ReadDevice(const std::string& portName, LineCore& line, std::string& out,
               const std::function<bool()>& ended) {
    const std::string path = DevicePath(portName);
    SerialOpenResult opened = SerialPort::Open(path);
    if (!opened.port) {
        // The reason names the device, as the user sees it.
        std::fprintf(stderr, "zorvane-decode: cannot open %s\n", opened.error.Reason().c_str());
        return 1;
    }
    const StopRequest stop;
    // The listener runs inside Read, on this thread, in its place among the bytes.
    ReconnectingPort port(path, std::move(opened.port),
                          [&line](ReconnectingPort::Change change, const std::string&) {
                              if (change == ReconnectingPort::Change::Lost)
                                  line.PortLost(Moment::Now());
                              else
                                  line.PortBack(Moment::Now());
                          });
    line.Start(Moment::Now());
    auto counted = std::chrono::steady_clock::now();
    while (!stop.Requested() && !ended()) {
        const auto started = std::chrono::steady_clock::now();
        const auto bytes = port.Read();
        // The driver's counts cost a system call: once a second is enough to see them move.
        if (started - counted >= kDriverCountsInterval) {
            counted = started;
            line.DriverErrors(port.ErrorCounts());
        }
        line.Read(bytes, Moment::Now());
        if (!Flush(out)) return 1;
        // A port that is gone fails at once, forever: never read again sooner than a time-out.
        if (bytes.empty()) std::this_thread::sleep_until(started + kReadTimeout);
    }
    line.DriverErrors(port.ErrorCounts());
    line.Finish(Moment::Now());
    return Flush(out) ? 0 : 1;
}

int ReadCapture(const char* path, LineCore& line, std::string& out) {
    if (!path || std::string_view(path) == "-")
        return ReadAll(STDIN_FILENO, "standard input", line, out);
    const UniqueFd in(::open(path, O_RDONLY | O_CLOEXEC));
    if (!in.Valid()) {
        std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    return ReadAll(in.Get(), path, line, out);
}

}  // namespace zorvane
