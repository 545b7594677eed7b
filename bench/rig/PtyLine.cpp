#include "PtyLine.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <utility>

namespace zorvane::bench {

PtyLine::PtyLine() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return;
    std::array<char, 128> name{};
    termios tio{};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name.data(), name.size()) != 0 || ::tcgetattr(master_, &tio) != 0) {
        CloseMaster();
        return;
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(master_, TCSANOW, &tio) != 0) {
        CloseMaster();
        return;
    }
    slave_ = name.data();
}

PtyLine::~PtyLine() {
    CloseMaster();
}

void PtyLine::CloseMaster() {
    if (master_ >= 0) ::close(master_);  // the descriptor is gone whatever close() reports
    master_ = -1;
}

int PtyLine::ReleaseMaster() {
    return std::exchange(master_, -1);
}

}  // namespace zorvane::bench
