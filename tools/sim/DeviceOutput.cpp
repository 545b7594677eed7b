#include "DeviceOutput.h"

#include <fcntl.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "MonoClock.h"

namespace zorvane::sim {

namespace {

// How long the last frames may take to leave before the old settings come back.
constexpr Nanos kDrainLimit = std::chrono::milliseconds(200);
constexpr Nanos kDrainStep = std::chrono::milliseconds(5);

// 57600 baud, 8 data bits, odd parity, 1 stop bit, no flow control, raw.
termios VorlanLine(termios t) {
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | PARENB | PARODD | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    ::cfsetspeed(&t, B57600);
    return t;
}

// tcdrain could wait forever on a line nobody reads (a pty); this waits a little at most.
void DrainBriefly(int fd) {
    const Nanos until = MonoNow() + kDrainLimit;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && MonoNow() < until) {
        // Not SleepUntil: a stop request is the usual way here and must not cut the drain.
        const timespec step{0, static_cast<long>(kDrainStep.count())};
        ::nanosleep(&step, nullptr);  // EINTR only shortens one step
    }
}

}  // namespace

std::unique_ptr<DeviceOutput> DeviceOutput::Open(const std::string& path, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    termios saved{};
    if (!::isatty(fd.Get()) || ::tcgetattr(fd.Get(), &saved) != 0) {
        error = path + " is not a serial device";
        return nullptr;
    }
    const termios line = VorlanLine(saved);
    if (::tcsetattr(fd.Get(), TCSANOW, &line) != 0) {
        error = "cannot set " + path + " to 57600 8O1: " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<DeviceOutput>(new DeviceOutput(std::move(fd), path, saved));
}

DeviceOutput::~DeviceOutput() {
    DrainBriefly(fd_.Get());
    // Nothing left to do if this fails: the device is going away or gone.
    ::tcsetattr(fd_.Get(), TCSANOW, &saved_);
}

SendResult DeviceOutput::Send(std::span<const std::uint8_t> bytes, Nanos deadline) {
    const WriteOutcome out = writer_.Send(bytes, deadline);
    switch (out.status) {
        case WriteStatus::Done:
            return SendResult::Sent;
        case WriteStatus::TimedOut:
        case WriteStatus::Stopped:
            return SendResult::Dropped;
        case WriteStatus::HungUp:
        case WriteStatus::Broken:
            error_ = path_ + " hung up (unplugged?)";
            return SendResult::Failed;
        case WriteStatus::Failed:
            break;
    }
    error_ = "cannot write to " + path_ + ": " + std::strerror(out.error);
    return SendResult::Failed;
}

}  // namespace zorvane::sim
