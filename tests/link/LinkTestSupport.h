#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::test {

// A fresh temporary directory that is the current directory while this lives, so every COMn a
// test opens is a link in it. Aborts rather than go on elsewhere, where COMn means /dev/ttyS*.
class TempCwd {
  public:
    TempCwd() : previous_(std::filesystem::current_path()) {
        std::string pattern = std::filesystem::temp_directory_path() / "zorvane-link-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0) std::abort();
        path_ = pattern;
    }
    ~TempCwd() {
        if (::chdir(previous_.c_str()) != 0) std::abort();
        std::error_code ignored;  // a leftover temporary directory fails no test
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    void Link(const std::string& name, const std::string& target) const {
        std::filesystem::create_symlink(target, path_ + "/" + name);
    }

  private:
    std::string previous_;
    std::string path_;
};

// A pseudo-terminal whose slave plays the serial port. Settings are read and written through
// the master, which reaches the same terminal, so the slave is never held open here.
class PtyPair {
  public:
    PtyPair() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        std::array<char, 128> name{};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name.data(), name.size()) != 0) {
            CloseMaster();
        }
        slave_ = name.data();
    }
    ~PtyPair() { CloseMaster(); }

    bool Ok() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& Slave() const { return slave_; }
    termios Settings() const {
        termios tio{};
        EXPECT_EQ(::tcgetattr(master_, &tio), 0);
        return tio;
    }
    void Set(const termios& tio) const { EXPECT_EQ(::tcsetattr(master_, TCSANOW, &tio), 0); }
    void SetTimeouts(cc_t vmin, cc_t vtime) const {
        termios tio = Settings();
        tio.c_cc[VMIN] = vmin;
        tio.c_cc[VTIME] = vtime;
        Set(tio);
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);  // teardown: nothing to do about a failure
        master_ = -1;
    }

  private:
    int master_;
    std::string slave_;
};

#define ZORVANE_REQUIRE_PTY(pty) \
    if (!(pty).Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works"

}  // namespace zorvane::test
