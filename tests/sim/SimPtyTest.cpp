#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Decode.h"
#include "SimProcess.h"

namespace zorvane::simtest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Up to `want` bytes, or what came before the timeout.
std::string ReadFor(int fd, std::size_t want, std::chrono::milliseconds timeout) {
    std::string got;
    const auto deadline = Clock::now() + timeout;
    while (got.size() < want && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, want - got.size()));
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        if (n <= 0 && errno != EAGAIN && errno != EINTR) break;
    }
    return got;
}

std::string LinkTarget(const std::string& path) {
    std::error_code ec;
    return std::filesystem::read_symlink(path, ec).string();
}

class SimPty : public ::testing::Test {
  protected:
    void SetUp() override {
        const int probe = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (probe < 0) GTEST_SKIP() << "no pseudo-terminals here; mount devpts on /dev/pts";
        ::close(probe);
    }
    std::string Com(const std::string& name = "COM1") const { return dir_.path() + "/" + name; }

    TempDir dir_;
};

TEST_F(SimPty, LinkServesRawFramesAndGoesAwayOnStopSignals) {
    for (const int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        SimProcess sim({}, dir_.path());
        ASSERT_TRUE(sim.WaitForStderr("serving", 5s)) << sim.err();
        const std::string device = LinkTarget(Com());
        EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
        EXPECT_NE(sim.err().find("serving " + device + " as ./COM1"), std::string::npos);

        const Fd port(::open(Com().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK));
        ASSERT_GE(port.get(), 0);
        termios t{};
        ASSERT_EQ(::tcgetattr(port.get(), &t), 0);
        EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_FALSE(t.c_iflag & (ICRNL | ISTRIP));
        EXPECT_GE(DecodeFrames(ReadFor(port.get(), 12 * 50, 5s)).size(), 45u);

        sim.Signal(sig);
        ASSERT_TRUE(sim.Finish(5s));
        EXPECT_EQ(sim.exitStatus(), 0) << sim.err();
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Com())));
    }
}

struct LateReaderCase {
    std::vector<std::string> args;
    bool walkKeepsTime;  // paced: the walk has moved on while nobody listened
};

TEST_F(SimPty, ReaderCanComeLateLeaveAndComeBackWithoutBusyWaiting) {
    const LateReaderCase cases[] = {{{}, true}, {{"--unpaced"}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        SimProcess sim(c.args, dir_.path());
        ASSERT_TRUE(sim.WaitForStderr("serving", 5s)) << sim.err();
        std::this_thread::sleep_for(1s);  // nobody has the port open meanwhile
        EXPECT_LT(sim.CpuSeconds(), 0.25);
        for (int visit = 0; visit < 2; ++visit) {
            const Fd port(::open(Com().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK));
            ASSERT_GE(port.get(), 0);
            const auto frames = DecodeFrames(ReadFor(port.get(), 12 * 40, 5s));
            ASSERT_GE(frames.size(), 35u) << "visit " << visit;
            // No backlog from before the reader came: the walk is past its first lamps.
            if (c.walkKeepsTime) {
                EXPECT_GE(LitLamps(frames.front()).at(0), 4);
            }
        }
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(sim.Running());
        sim.Signal(SIGTERM);
        ASSERT_TRUE(sim.Finish(5s));
        EXPECT_EQ(sim.exitStatus(), 0) << sim.err();
        EXPECT_NE(sim.err().find("while nobody listened"), std::string::npos) << sim.err();
    }
}

TEST_F(SimPty, LeavesAnExistingFileAlone) {
    std::ofstream(Com()) << "keep";
    const SimResult r = RunSim({}, dir_.path());
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("not a symbolic link"), std::string::npos) << r.err;
    std::ifstream in(Com());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

TEST_F(SimPty, ReplacesAStaleLinkAndOnlyRemovesItsOwn) {
    std::filesystem::create_symlink("/dev/pts/no-such-pty", Com("COM3"));
    SimProcess sim({"--link", "COM3"}, dir_.path());
    ASSERT_TRUE(sim.WaitForStderr("serving", 5s)) << sim.err();
    EXPECT_EQ(LinkTarget(Com("COM3")).rfind("/dev/pts/", 0), 0u);
    // Someone points the name elsewhere meanwhile: that link is not ours to remove.
    std::filesystem::remove(Com("COM3"));
    std::filesystem::create_symlink("/dev/null", Com("COM3"));
    sim.Signal(SIGTERM);
    ASSERT_TRUE(sim.Finish(5s));
    EXPECT_EQ(sim.exitStatus(), 0);
    EXPECT_EQ(LinkTarget(Com("COM3")), "/dev/null");
}

TEST_F(SimPty, DeviceGetsTheVorlanLineAndItsSettingsBack) {
    const Fd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
    ASSERT_EQ(::grantpt(master.get()) | ::unlockpt(master.get()), 0);
    const std::string slave = ::ptsname(master.get());
    termios before{};
    {
        const Fd s(::open(slave.c_str(), O_RDWR | O_NOCTTY));
        ASSERT_EQ(::tcgetattr(s.get(), &before), 0);
    }
    SimProcess sim({"--device", slave, "--frames", "200"}, dir_.path());
    ASSERT_TRUE(sim.WaitForStderr("writing to " + slave, 5s)) << sim.err();
    {
        const Fd s(::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
        termios during{};
        ASSERT_EQ(::tcgetattr(s.get(), &during), 0);
        // A pty drops PARENB whatever is asked; PARODD and the rest stick.
        EXPECT_EQ(during.c_cflag & (CSIZE | PARODD | CSTOPB | CRTSCTS), CS8 | PARODD);
        EXPECT_EQ(::cfgetospeed(&during), B57600);
    }
    const auto frames = DecodeFrames(ReadFor(master.get(), 200 * 12, 5s));
    ASSERT_TRUE(sim.Finish(5s));
    EXPECT_EQ(sim.exitStatus(), 0) << sim.err();
    EXPECT_EQ(frames.size(), 200u) << sim.err();

    const Fd s(::open(slave.c_str(), O_RDWR | O_NOCTTY));
    termios after{};
    ASSERT_EQ(::tcgetattr(s.get(), &after), 0);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(after.c_cc[VTIME], before.c_cc[VTIME]);
}

}  // namespace
}  // namespace zorvane::simtest
