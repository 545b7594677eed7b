#include "PtyOutput.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>
#include <cstring>

namespace zorvane::sim {

namespace {

std::string Failure(const std::string& what) {
    return "cannot create a pseudo-terminal (" + what + "): " + std::strerror(errno);
}

// Raw, so every byte reaches the reader unaltered (no echo, no CR/LF mapping, no signals).
// Opening and closing the slave once also makes the master report POLLHUP from now on
// whenever nobody has the slave open; without it a fresh pty silently buffers ~20 KB.
bool MakeSlaveRaw(const std::string& slave, std::string& error) {
    const UniqueFd fd(::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios t{};
    if (!fd.Valid() || ::tcgetattr(fd.Get(), &t) != 0) {
        error = Failure("open " + slave);
        return false;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&t, B57600);  // ignored by a pty; a monitor reading it back sees the line rate
    if (::tcsetattr(fd.Get(), TCSANOW, &t) != 0) {
        error = Failure("raw mode");
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<PtyOutput> PtyOutput::Open(const std::string& linkPath, std::string& error) {
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master.Valid()) {
        error = Failure("posix_openpt");
        return nullptr;
    }
    char name[128];
    if (::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0 ||
        ::ptsname_r(master.Get(), name, sizeof name) != 0) {
        error = Failure("unlock");
        return nullptr;
    }
    const int flags = ::fcntl(master.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(master.Get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        error = Failure("non-blocking");
        return nullptr;
    }
    if (!MakeSlaveRaw(name, error)) return nullptr;
    auto link = PortLink::Create(linkPath, name, error);
    if (!link) return nullptr;
    return std::unique_ptr<PtyOutput>(
        new PtyOutput(std::move(master), name, linkPath, std::move(*link)));
}

SendResult PtyOutput::Send(std::span<const std::uint8_t> bytes, Nanos deadline) {
    const WriteOutcome out = writer_.Send(bytes, deadline);
    switch (out.status) {
        case WriteStatus::Done:
            return SendResult::Sent;
        case WriteStatus::HungUp:
            return SendResult::NoReader;
        case WriteStatus::TimedOut:
        case WriteStatus::Stopped:
        case WriteStatus::Broken:  // not raised by a pty master
            return SendResult::Dropped;
        case WriteStatus::Failed:
            break;
    }
    error_ = "cannot write to " + device_ + ": " + std::strerror(out.error);
    return SendResult::Failed;
}

std::string PtyOutput::Describe() const {
    return "serving " + device_ + " as " + linkPath_;
}

}  // namespace zorvane::sim
