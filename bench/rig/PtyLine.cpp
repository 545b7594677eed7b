#include "PtyLine.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>

namespace zorvane::bench {

PtyLine::PtyLine() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!master_.Valid()) return;
    std::array<char, 128> name{};
    termios tio{};
    const int fd = master_.Get();
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 ||
        ::ptsname_r(fd, name.data(), name.size()) != 0 || ::tcgetattr(fd, &tio) != 0) {
        CloseMaster();
        return;
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        CloseMaster();
        return;
    }
    slave_ = name.data();
}

}  // namespace zorvane::bench
