#include "ReplayFrames.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "UniqueFd.h"

namespace zorvane::sim {

namespace {
constexpr std::size_t kSlotBytes = 12;
// A capture is minutes of line traffic; anything far larger is a wrong file.
constexpr off_t kMaxReplayBytes = 256 << 20;
}  // namespace

std::unique_ptr<ReplayFrames> ReplayFrames::Load(const std::string& path, bool loop,
                                                 std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxReplayBytes) {
        error = path + " is not a capture file (a regular file of at most 256 MiB)";
        return nullptr;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    int readError = 0;
    while (got < bytes.size() && readError == 0) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno != EINTR) readError = errno;
        if (n == 0) readError = EIO;  // the file shrank while we read it
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    if (readError != 0) {
        error = "cannot read " + path + ": " + std::strerror(readError);
        return nullptr;
    }
    if (bytes.empty()) {
        error = path + " is empty";
        return nullptr;
    }
    return std::unique_ptr<ReplayFrames>(new ReplayFrames(std::move(bytes), loop));
}

std::span<const std::uint8_t> ReplayFrames::Next() {
    if (pos_ == bytes_.size() && loop_) pos_ = 0;
    const std::size_t n = std::min(kSlotBytes, bytes_.size() - pos_);
    const std::span<const std::uint8_t> slot(bytes_.data() + pos_, n);
    pos_ += n;
    return slot;
}

}  // namespace zorvane::sim
