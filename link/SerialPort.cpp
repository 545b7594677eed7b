#include "SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "LineSettings.h"
#include "PortName.h"

namespace zorvane {

namespace {

constexpr int kQuickEmptyReadsWhenGone = 3;

bool HungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool IsGone(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

// No O_CREAT: a port that is not there stays not there. O_NOCTTY: a hangup must not kill us.
constexpr int kOpenFlags = O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

SerialOpenResult Failure(const std::string& device, int err) {
    return {nullptr, ErrorFromErrno(device, err)};
}

SerialOpenResult Refusal(const std::string& device, PortError kind) {
    return {nullptr, OpenError{kind, device, 0}};
}

// Looks before touching: opening is already an action on some devices, so only character
// devices are opened, and never the console.
std::optional<SerialOpenResult> Inspect(const std::string& path, const std::string& device,
                                        const std::vector<dev_t>& consoles) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Failure(device, errno);
    if (!S_ISCHR(st.st_mode)) return Refusal(device, PortError::NotSerial);
    if (std::find(consoles.begin(), consoles.end(), st.st_rdev) != consoles.end()) {
        return Refusal(device, PortError::Console);
    }
    return std::nullopt;
}

// glibc fails tcsetattr when a device dropped part of a request it otherwise took. A
// pseudo-terminal has no parity and clears PARENB; that one loss is accepted.
bool TookAllButParity(int fd, const termios& wanted) {
    termios now{};
    if (::tcgetattr(fd, &now) != 0) return false;
    return now.c_iflag == wanted.c_iflag && now.c_oflag == wanted.c_oflag &&
           now.c_lflag == wanted.c_lflag && (now.c_cflag | PARENB) == (wanted.c_cflag | PARENB) &&
           now.c_cc[VMIN] == wanted.c_cc[VMIN] && now.c_cc[VTIME] == wanted.c_cc[VTIME];
}

// Returns 0 or the errno of the failing call.
int ClearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return errno;
    if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
    return 0;
}

}  // namespace

SerialOpenResult SerialPort::Open(const std::string& path, const std::vector<dev_t>& consoles) {
    const std::string device = DescribeDevice(path);
    // 1. Only a character device that is not the console.
    if (auto refusal = Inspect(path, device, consoles)) return std::move(*refusal);
    // 2. Open without blocking: a line without carrier would hang a blocking open.
    UniqueFd fd(::open(path.c_str(), kOpenFlags));
    if (!fd.Valid()) return Failure(device, errno);
    // 3. A terminal, or nothing we can configure.
    if (!::isatty(fd.Get())) return Refusal(device, PortError::NotSerial);
    // 4. Exclusive. The lock is what even root respects; TIOCEXCL (step 6) stops other openers.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return Failure(device, errno);
    // 5. The settings as found. From here on the port object puts them back on every path.
    termios tio{};
    if (::tcgetattr(fd.Get(), &tio) != 0) return Failure(device, errno);
    std::unique_ptr<SerialPort> port(new SerialPort(std::move(fd), device, tio));
    const int portFd = port->fd_.Get();
    // 6. Exclusive for every other non-root opener too.
    if (::ioctl(portFd, TIOCEXCL) != 0) return Failure(device, errno);
    // 7. Line settings and time-outs (the speed lives in c_cflag).
    ApplyLineSettings(tio);
    if (::tcsetattr(portFd, TCSANOW, &tio) != 0) {
        const int err = errno;
        if (!TookAllButParity(portFd, tio)) return Failure(device, err);
    }
    // 8. What waited in the port before now is old: shown, it would pass for a fresh frame.
    if (::tcflush(portFd, TCIFLUSH) != 0) return Failure(device, errno);
    // 9. Blocking reads from now on; VTIME bounds each one.
    if (const int err = ClearNonBlocking(portFd)) return Failure(device, err);
    return {std::move(port), {}};
}

SerialPort::SerialPort(UniqueFd fd, std::string device, const termios& saved)
    : fd_(std::move(fd)), device_(std::move(device)), saved_(saved) {}

SerialPort::~SerialPort() {
    RestoreAndClose();
}

SerialPort::ReadResult SerialPort::Read(std::span<const std::uint8_t>& got) {
    for (;;) {
        const auto started = std::chrono::steady_clock::now();
        const ssize_t n = ::read(fd_.Get(), buffer_.data(), buffer_.size());
        if (n > 0) {
            got = std::span(buffer_).first(static_cast<std::size_t>(n));
            quickEmptyReads_ = 0;
            return ReadResult::Bytes;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return IsGone(errno) ? ReadResult::Gone : ReadResult::Nothing;
        // A time-out takes 100 ms; end of file at once is a hangup, or again and again is one.
        if (std::chrono::steady_clock::now() - started >= kReadTimeout / 2) {
            quickEmptyReads_ = 0;
            return ReadResult::Nothing;
        }
        if (HungUp(fd_.Get()) || ++quickEmptyReads_ >= kQuickEmptyReadsWhenGone)
            return ReadResult::Gone;
        return ReadResult::Nothing;
    }
}

void SerialPort::AwaitBytes(std::chrono::milliseconds limit) const {
    pollfd p{fd_.Get(), POLLIN, 0};
    // Interrupted, failed or timed out, the read that follows finds out what holds.
    (void)::poll(&p, 1, static_cast<int>(limit.count()));
}

std::optional<DriverErrors> SerialPort::ErrorCounts() const {
    serial_icounter_struct counts{};
    // ENOTTY or EINVAL: a terminal that counts nothing, such as a pseudo-terminal.
    if (::ioctl(fd_.Get(), TIOCGICOUNT, &counts) != 0) return std::nullopt;
    const auto n = [](int count) { return static_cast<std::uint64_t>(std::max(count, 0)); };
    return DriverErrors{n(counts.parity), n(counts.frame), n(counts.overrun), n(counts.buf_overrun),
                        n(counts.brk)};
}

void SerialPort::RestoreAndClose() {
    if (!fd_.Valid()) return;
    const int fd = fd_.Get();
    if (::tcsetattr(fd, TCSANOW, &saved_) != 0) Report("cannot put its settings back");
    // A terminal that outlives us (a pseudo-terminal whose master stays) would stay exclusive.
    (void)::ioctl(fd, TIOCNXCL);  // fails only where the settings failed too, which is told
    if (::close(fd_.Release()) != 0) Report("cannot close it");  // also drops the lock
}

void SerialPort::Report(const char* what) const {
    std::fprintf(stderr, "%s: %s: %s: %s\n", program_invocation_short_name, device_.c_str(), what,
                 std::strerror(errno));
}

}  // namespace zorvane
