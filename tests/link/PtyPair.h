#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::test {

// A pseudo-terminal whose slave side plays the serial port. The slave is not held open here;
// its settings are read and written through the master, which reaches the same terminal.
class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0) return;
        std::array<char, 128> name{};
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name.data(), name.size()) != 0) {
            CloseMaster();
            return;
        }
        slave_ = name.data();
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& Slave() const { return slave_; }

    termios Settings() const {
        termios tio{};
        EXPECT_EQ(::tcgetattr(master_, &tio), 0);
        return tio;
    }
    void SetTimeouts(cc_t vmin, cc_t vtime) const {
        termios tio = Settings();
        tio.c_cc[VMIN] = vmin;
        tio.c_cc[VTIME] = vtime;
        EXPECT_EQ(::tcsetattr(master_, TCSANOW, &tio), 0);
    }
    // Writes everything or fails the test.
    void Write(const std::uint8_t* data, std::size_t size) const {
        EXPECT_EQ(::write(master_, data, size), static_cast<ssize_t>(size));
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);  // test teardown: nothing to do on failure
        master_ = -1;
    }

  private:
    int master_ = -1;
    std::string slave_;
};

#define ZORVANE_REQUIRE_PTY(pty) \
    if (!(pty).Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works"

}  // namespace zorvane::test
