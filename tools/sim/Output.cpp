#include "Output.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "LineSettings.h"
#include "SystemConsole.h"

namespace zorvane::sim {

namespace {

using std::chrono::milliseconds;

// How long a wait for room may go without looking for a stop request.
constexpr milliseconds kStopCheck(50);
// How long a device's last frames may take to leave before its old settings come back.
constexpr milliseconds kDrainLimit(200);

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string LinkTarget(const std::string& link) {
    std::error_code ignored;  // no link: an empty target
    return std::filesystem::read_symlink(link, ignored).string();
}

// Points `link` at `target`, replacing an earlier link but never any other file. Made under a
// private name and renamed, so the name never dangles midway.
bool CreateLink(const std::string& link, const std::string& target, std::string& error) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symbolic link; not replacing it (use --link)";
        return false;
    }
    const std::string temp = link + ".zorvane-sim-" + std::to_string(::getpid());
    ::unlink(temp.c_str());  // a leftover of an earlier run with our pid; usually absent
    if (::symlink(target.c_str(), temp.c_str()) == 0 && ::rename(temp.c_str(), link.c_str()) == 0)
        return true;
    error = Failure("cannot create the link " + link);
    ::unlink(temp.c_str());  // best effort; the message says what went wrong
    return false;
}

// Raw and 8O1 at 57600, so a reader gets the bytes as sent; a reader that sets nothing (cat)
// waits for bytes instead of taking a silence for the end. Opening the slave once also makes
// the master report POLLHUP whenever nobody has it open; a fresh one would buffer ~20 KB.
bool SetUpSlave(const char* slave) {
    const UniqueFd fd(::open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios line{};
    if (!fd.Valid() || ::tcgetattr(fd.Get(), &line) != 0) return false;
    ApplyLineSettings(line);
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    return ::tcsetattr(fd.Get(), TCSANOW, &line) == 0;
}

}  // namespace

std::unique_ptr<Output> Output::Open(const Options& options, std::string& error) {
    if (options.toStdout) return OpenStdout(error);
    if (!options.device.empty()) return OpenDevice(options.device, error);
    return OpenPty(options.link, error);
}

std::unique_ptr<Output> Output::OpenPty(const std::string& link, std::string& error) {
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    char slave[128];
    if (!master.Valid() || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0 ||
        ::ptsname_r(master.Get(), slave, sizeof slave) != 0 || !SetUpSlave(slave)) {
        error = Failure("cannot set up a pseudo-terminal");
        return nullptr;
    }
    std::unique_ptr<Output> out(new Output(Kind::Pty, std::move(master), slave));
    if (!CreateLink(link, slave, error)) return nullptr;
    out->link_ = link;
    out->description_ = "serving " + out->name_ + " as " + link;
    return out;
}

std::unique_ptr<Output> Output::OpenDevice(const std::string& path, std::string& error) {
    // Looked at before opening: the machine's console is never reconfigured.
    struct stat st {};
    const std::vector<dev_t> consoles = ConsoleDevices();
    if (::stat(path.c_str(), &st) == 0 &&
        std::find(consoles.begin(), consoles.end(), st.st_rdev) != consoles.end()) {
        error = path + " is the system console, which is left alone";
        return nullptr;
    }
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios saved{};
    if (!fd.Valid() || ::tcgetattr(fd.Get(), &saved) != 0) {
        error = Failure("cannot use " + path + " as a serial device");
        return nullptr;
    }
    termios line = saved;
    ApplyLineSettings(line);
    if (::tcsetattr(fd.Get(), TCSANOW, &line) != 0) {
        error = Failure("cannot set " + path + " to 57600 8O1");
        return nullptr;
    }
    std::unique_ptr<Output> out(new Output(Kind::Device, std::move(fd), path));
    out->saved_ = saved;
    out->description_ = "writing to " + path + " (57600 8O1)";
    return out;
}

std::unique_ptr<Output> Output::OpenStdout(std::string& error) {
    // A duplicate, so the process's own standard output stays open to the end.
    UniqueFd fd(::dup(STDOUT_FILENO));
    if (!fd.Valid()) {
        error = Failure("cannot write to standard output");
        return nullptr;
    }
    std::unique_ptr<Output> out(new Output(Kind::Stdout, std::move(fd), "standard output"));
    out->description_ = "writing to standard output";
    return out;
}

Output::~Output() {
    if (saved_) {
        // tcdrain could wait forever on a line nobody reads; the last frames get a short while.
        const auto until = Clock::now() + kDrainLimit;
        int queued = 0;
        while (::ioctl(fd_.Get(), TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < until)
            std::this_thread::sleep_for(milliseconds(5));
        ::tcsetattr(fd_.Get(), TCSANOW, &*saved_);  // nothing left to do if the device is gone
    }
    // Another simulator may have taken the name over meanwhile; its link is not ours to remove.
    if (!link_.empty() && LinkTarget(link_) == name_) ::unlink(link_.c_str());
}

SendResult Output::Send(std::span<const std::uint8_t> bytes, Clock::time_point deadline,
                        const StopRequest& stop) {
    // A pipe's reader (zorvane-decode) must see every frame, so standard output has no deadline.
    const bool patient = kind_ == Kind::Stdout;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const auto left = deadline - Clock::now();
        if ((written == 0 && stop.Requested()) || (!patient && left <= Clock::duration::zero()))
            return SendResult::Dropped;
        const auto wait = patient ? kStopCheck : std::min<Clock::duration>(left, kStopCheck);
        pollfd p{fd_.Get(), POLLOUT, 0};
        const int ready = ::poll(&p, 1, std::chrono::ceil<milliseconds>(wait).count());
        if (ready < 0 && errno != EINTR) return Lost(errno);
        if (ready <= 0) continue;
        // A pty master reports POLLHUP, often with POLLOUT, while no one has the slave open.
        if (p.revents & (POLLHUP | POLLERR)) return Lost(EIO);
        const ssize_t n = ::write(fd_.Get(), bytes.data() + written, bytes.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return Lost(errno);
    }
    return SendResult::Sent;
}

// What a write that cannot go on means depends on where the bytes were going.
SendResult Output::Lost(int err) {
    if (err == EIO || err == EPIPE) {
        if (kind_ == Kind::Pty) return SendResult::NoReader;
        if (kind_ == Kind::Stdout) return SendResult::Finished;
        error_ = name_ + " hung up (unplugged?)";
        return SendResult::Failed;
    }
    error_ = "cannot write to " + name_ + ": " + std::strerror(err);
    return SendResult::Failed;
}

}  // namespace zorvane::sim
