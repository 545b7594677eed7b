#include "SerialPort.h"

#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include <gtest/gtest.h>

#include "PortName.h"
#include "PortOpener.h"
#include "PtyPair.h"
#include "TempCwd.h"

namespace zorvane {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The slave of a pseudo-terminal linked as ./COM1 in a temporary current directory.
class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ZORVANE_REQUIRE_PTY(pty_);
        cwd_.Link("COM1", pty_.Slave());
    }
    SerialOpenResult OpenCom1(const std::vector<dev_t>& consoles = {}) {
        return SerialPort::Open("./COM1", consoles);
    }
    // Settings a fresh port could have, each one something the open must undo.
    void Dirty() {
        termios tio = pty_.Settings();
        tio.c_lflag |= ICANON | ECHO | ISIG;
        tio.c_iflag |= IXON | IXOFF | ICRNL | INPCK;
        tio.c_oflag |= OPOST;
        tio.c_cflag |= CSTOPB | CRTSCTS;
        tio.c_cflag &= ~(PARODD | CLOCAL);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ASSERT_EQ(::tcsetattr(pty_.Master(), TCSANOW, &tio), 0);
    }

    test::TempCwd cwd_;
    test::PtyPair pty_;
};

TEST_F(SerialPortTest, OpenLeavesRaw57600OddParityWithReadTimeout) {
    Dirty();
    auto opened = OpenCom1();
    ASSERT_TRUE(opened.port) << opened.error.Reason();

    // The pseudo-terminal driver drops PARENB on its own; PARODD shows the parity we asked for.
    const termios t = pty_.Settings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(::cfgetispeed(&t), speed_t{B57600});
    EXPECT_EQ(::cfgetospeed(&t), speed_t{B57600});
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(t.c_cflag & (PARODD | CLOCAL | CREAD), tcflag_t{PARODD | CLOCAL | CREAD});
    EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 1);
}

TEST_F(SerialPortTest, CloseRestoresFoundTimeoutsButNotLineSettings) {
    for (const bool byDestructor : {false, true}) {
        pty_.SetTimeouts(7, 3);
        auto opened = OpenCom1();
        ASSERT_TRUE(opened.port) << opened.error.Reason();
        EXPECT_EQ(opened.port->Saved().vmin, 7);
        EXPECT_EQ(opened.port->Saved().vtime, 3);

        if (byDestructor) {
            opened.port.reset();
        } else {
            opened.port->Close();
        }
        const termios t = pty_.Settings();
        EXPECT_EQ(t.c_cc[VMIN], 7) << byDestructor;
        EXPECT_EQ(t.c_cc[VTIME], 3) << byDestructor;
        EXPECT_EQ(t.c_lflag & ICANON, 0u) << byDestructor;
        EXPECT_EQ(::cfgetispeed(&t), speed_t{B57600}) << byDestructor;
    }
}

// Root passes TIOCEXCL, so this is the lock at work.
TEST_F(SerialPortTest, SecondOpenIsBusyAndLeavesTheFirstAlone) {
    auto first = OpenCom1();
    ASSERT_TRUE(first.port) << first.error.Reason();

    auto second = OpenCom1();
    EXPECT_FALSE(second.port);
    EXPECT_EQ(second.error.kind, PortError::Busy);
    EXPECT_EQ(second.error.Reason().rfind("./COM1 -> " + pty_.Slave() + ": in use", 0), 0u)
        << second.error.Reason();
    EXPECT_EQ(pty_.Settings().c_cc[VTIME], 1);

    first.port.reset();
    EXPECT_TRUE(OpenCom1().port);
}

TEST_F(SerialPortTest, DanglingLinkFailsAndNeverFallsBack) {
    cwd_.Link("COM2", cwd_.Path() + "/unplugged");
    ASSERT_EQ(DevicePath("COM2"), "./COM2");  // guard: nothing below may reach /dev/ttyS1

    const PortOpenResult opened = SystemPortOpener().Open("COM2");
    EXPECT_FALSE(opened.port);
    EXPECT_EQ(opened.error.kind, PortError::NotFound);
    EXPECT_EQ(opened.error.device, "./COM2 -> " + cwd_.Path() + "/unplugged");
}

TEST_F(SerialPortTest, AnythingButATerminalIsNotASerialPort) {
    std::ofstream(cwd_.Path() + "/plain") << "x";
    ASSERT_EQ(::mkfifo((cwd_.Path() + "/fifo").c_str(), 0600), 0);
    const std::pair<const char*, std::string> cases[] = {
        {"COM2", cwd_.Path() + "/plain"},
        {"COM3", cwd_.Path()},
        {"COM4", "/dev/null"},
        {"COM5", cwd_.Path() + "/fifo"},
    };
    for (const auto& [name, target] : cases) {
        cwd_.Link(name, target);
        const auto opened = SerialPort::Open(std::string("./") + name, {});
        EXPECT_FALSE(opened.port) << target;
        EXPECT_EQ(opened.error.kind, PortError::NotSerial) << target;
    }
}

TEST_F(SerialPortTest, ActiveConsoleIsRefusedUntouched) {
    Dirty();
    const std::string active = cwd_.Path() + "/active";
    // As the kernel lists it: names under /dev, space separated.
    std::ofstream(active) << "nosuchtty " << pty_.Slave().substr(5) << "\n";
    const termios before = pty_.Settings();

    const auto opened = OpenCom1(ConsoleDevices(active, "/dev"));
    EXPECT_FALSE(opened.port);
    EXPECT_EQ(opened.error.kind, PortError::Console);

    const termios after = pty_.Settings();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(after.c_cc[VTIME], before.c_cc[VTIME]);
}

TEST_F(SerialPortTest, ReadByteDeliversBytesThenTimesOutThenSeesHangupAtOnce) {
    auto opened = OpenCom1();
    ASSERT_TRUE(opened.port) << opened.error.Reason();
    SerialPort& port = *opened.port;

    const std::uint8_t sent[] = {0xAA, 0x00, 0x0D, 0x0A, 0x11, 0x13};  // no translation, no XON
    pty_.Write(sent, sizeof sent);
    for (const std::uint8_t expected : sent) {
        std::uint8_t byte = 0;
        ASSERT_TRUE(port.ReadByte(byte));
        EXPECT_EQ(byte, expected);
    }

    std::uint8_t byte = 0;
    auto started = Clock::now();
    EXPECT_FALSE(port.ReadByte(byte));
    const auto idle = Clock::now() - started;
    EXPECT_GE(idle, milliseconds(80));  // blocking read, bounded by VTIME
    EXPECT_LT(idle, milliseconds(400));

    pty_.CloseMaster();
    started = Clock::now();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_LT(Clock::now() - started, milliseconds(50));
}

}  // namespace
}  // namespace zorvane
