#include "Pty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>

#include <cerrno>
#include <chrono>

namespace zorvane::e2e {

Pty::Pty() {
    // Non-blocking master: when nobody reads, the streamer must not hang in write().
    master_ = UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!master_.Valid()) return;
    char name[128] = {};
    if (::grantpt(master_.Get()) != 0 || ::unlockpt(master_.Get()) != 0 ||
        ::ptsname_r(master_.Get(), name, sizeof name) != 0)
        return;
    slavePath_ = name;
    slave_ = UniqueFd(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
}

Pty::~Pty() {
    StopStreaming();
}

termios Pty::Settings() const {
    termios tio{};
    (void)::tcgetattr(slave_.Get(), &tio);  // the caller compares; zeros would not match
    return tio;
}

bool Pty::SetSettings(const termios& tio) const {
    return ::tcsetattr(slave_.Get(), TCSANOW, &tio) == 0;
}

void Pty::StartStreaming(const FrameData& data, int periodUs) {
    StopStreaming();
    stop_ = false;
    streamer_ = std::thread(&Pty::Stream, this, EncodeFrame(data), periodUs);
}

void Pty::StopStreaming() {
    stop_ = true;
    if (streamer_.joinable()) streamer_.join();
}

void Pty::Stream(WireBytes bytes, int periodUs) {
    auto next = std::chrono::steady_clock::now();
    std::size_t offset = 0;
    while (!stop_) {
        const ssize_t n = ::write(master_.Get(), bytes.data() + offset, bytes.size() - offset);
        if (n > 0) offset += static_cast<std::size_t>(n);
        if (offset == bytes.size()) {
            offset = 0;
            ++sent_;
            next += std::chrono::microseconds(periodUs);
            std::this_thread::sleep_until(next);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;  // the terminal is gone: nothing more to send
        } else if (n <= 0) {
            // Queue full (nobody reads): wait for room without spinning.
            pollfd p{master_.Get(), POLLOUT, 0};
            (void)::poll(&p, 1, 5);  // a time-out only means: look at stop_ again
            next = std::chrono::steady_clock::now();
        }
    }
}

}  // namespace zorvane::e2e
