#include "FdWrite.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "MonoClock.h"
#include "StopFlag.h"

namespace zorvane::sim {

namespace {

// Bounds how long a stop request can go unnoticed while the reader is stuck.
constexpr Nanos kStopCheck = std::chrono::milliseconds(50);

timespec ToTimespec(Nanos d) {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(d);
    return {static_cast<time_t>(s.count()), static_cast<long>((d - s).count())};
}

WriteStatus StatusOfErrno(int err) {
    switch (err) {
        case EIO:
            return WriteStatus::HungUp;
        case EPIPE:
            return WriteStatus::Broken;
        default:
            return WriteStatus::Failed;
    }
}

}  // namespace

WriteOutcome WriteUntil(int fd, std::span<const std::uint8_t> bytes,
                        std::optional<Nanos> deadline) {
    WriteOutcome out;
    while (out.written < bytes.size()) {
        if (StopRequested()) return {WriteStatus::Stopped, out.written, 0};
        Nanos wait = kStopCheck;
        if (deadline) {
            const Nanos left = *deadline - MonoNow();
            if (left <= Nanos::zero()) return {WriteStatus::TimedOut, out.written, 0};
            wait = std::min(wait, left);
        }
        pollfd p{fd, POLLOUT, 0};
        const timespec ts = ToTimespec(wait);
        const int ready = ::ppoll(&p, 1, &ts, nullptr);
        if (ready < 0 && errno != EINTR) return {WriteStatus::Failed, out.written, errno};
        if (ready <= 0) continue;
        // A pty master reports POLLHUP, often with POLLOUT, while no one has the slave open.
        if (p.revents & POLLHUP) return {WriteStatus::HungUp, out.written, 0};
        if (p.revents & POLLNVAL) return {WriteStatus::Failed, out.written, EBADF};
        const ssize_t n = ::write(fd, bytes.data() + out.written, bytes.size() - out.written);
        if (n > 0) {
            out.written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            const int err = errno;
            return {StatusOfErrno(err), out.written, err};
        }
    }
    return out;
}

}  // namespace zorvane::sim
