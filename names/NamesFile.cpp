#include "NamesFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "UniqueFd.h"

namespace zorvane {

namespace {

constexpr std::size_t kTextLimit = 5000;  // bytes read from the file

// True for a regular file; otherwise false with the reason in `error`.
bool IsRegularFile(int statResult, const struct stat& st, NamesFileError& error) {
    if (statResult != 0) {
        error = {NamesFileError::Step::Open, errno};
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = {NamesFileError::Step::Open, 0};
        return false;
    }
    return true;
}

NamesText TextFromBytes(std::string_view raw) {
    NamesText text;
    text.beyondLimit = raw.size() > kTextLimit;
    std::string_view kept = raw.substr(0, kTextLimit);
    const std::size_t zero = kept.find('\0');
    if (zero != std::string_view::npos) {
        text.zeroByteAt = zero;
        kept = kept.substr(0, zero);
    }
    text.bytes = kept;
    text.cutByReadLimit = text.beyondLimit && !text.zeroByteAt;
    return text;
}

}  // namespace

std::string NamesFileError::Reason() const {
    return sysErrno != 0 ? std::strerror(sysErrno) : "not a regular file";
}

std::string NamesFileError::Describe(const std::string& path) const {
    return (step == Step::Open ? "cannot open " : "cannot read ") + path + ": " + Reason();
}

std::optional<NamesText> ReadNamesText(int fd, NamesFileError& error) {
    // One byte past the limit tells whether the file goes on.
    std::string raw(kTextLimit + 1, '\0');
    std::size_t got = 0;
    while (got < raw.size()) {
        const ssize_t n = ::read(fd, raw.data() + got, raw.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = {NamesFileError::Step::Read, errno};
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    raw.resize(got);
    return TextFromBytes(raw);
}

std::optional<NamesText> ReadNamesFile(const std::string& path, NamesFileError& error) {
    // Opening a device can have effects (a serial port's lines), so it is not even tried; the
    // file may still change before the open, hence the second check and O_NONBLOCK | O_NOCTTY.
    struct stat st {};
    if (!IsRegularFile(::stat(path.c_str(), &st), st, error)) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = {NamesFileError::Step::Open, errno};
        return std::nullopt;
    }
    // Only read from, so a failed close loses nothing.
    const UniqueFd file(fd);
    if (!IsRegularFile(::fstat(file.Get(), &st), st, error)) return std::nullopt;
    return ReadNamesText(file.Get(), error);
}

std::optional<NamesScan> LoadNamesFile(const std::string& path, NamesFileError& error) {
    const std::optional<NamesText> text = ReadNamesFile(path, error);
    if (!text) return std::nullopt;
    return ScanNames(text->bytes, text->cutByReadLimit);
}

}  // namespace zorvane
