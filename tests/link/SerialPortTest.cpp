#include "SerialPort.h"

#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include <gtest/gtest.h>

#include <vector>

#include "LinkTestSupport.h"
#include "PortName.h"

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
    SerialOpenResult Open() { return SerialPort::Open("./COM1", {}); }

    test::TempCwd cwd_;
    test::PtyPair pty_;
};

TEST_F(SerialPortTest, OpenConfiguresTheLineAndCloseRestoresOnlyTheTimeouts) {
    termios dirty = pty_.Settings();  // everything the open must undo
    dirty.c_lflag |= ICANON | ECHO | ISIG;
    dirty.c_iflag |= IXON | IXOFF | ICRNL | INPCK;
    dirty.c_oflag |= OPOST;
    dirty.c_cflag |= CSTOPB | CRTSCTS;
    dirty.c_cflag &= ~(PARODD | CLOCAL);
    ::cfsetspeed(&dirty, B9600);
    dirty.c_cc[VMIN] = 7;
    dirty.c_cc[VTIME] = 3;
    pty_.Set(dirty);

    auto opened = Open();
    ASSERT_TRUE(opened.port) << opened.error.Reason();
    // The pseudo-terminal driver drops PARENB itself; PARODD shows the parity asked for.
    termios t = pty_.Settings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(::cfgetispeed(&t), speed_t{B57600});
    EXPECT_EQ(::cfgetospeed(&t), speed_t{B57600});
    EXPECT_EQ(t.c_cflag & (CSIZE | PARODD | CLOCAL | CREAD | CSTOPB | CRTSCTS),
              tcflag_t{CS8 | PARODD | CLOCAL | CREAD});
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 1);

    opened.port.reset();
    t = pty_.Settings();
    EXPECT_EQ(t.c_cc[VMIN], 7);
    EXPECT_EQ(t.c_cc[VTIME], 3);
    EXPECT_EQ(t.c_lflag & ICANON, 0u);  // line settings stay
    // Configured already, it opens again: glibc calls the dropped parity a failure.
    EXPECT_TRUE(Open().port);
}

// Root passes TIOCEXCL, so this is the lock at work.
TEST_F(SerialPortTest, SecondOpenIsBusyUntilTheFirstCloses) {
    auto first = Open();
    ASSERT_TRUE(first.port) << first.error.Reason();
    const auto second = Open();
    ASSERT_FALSE(second.port);
    EXPECT_EQ(second.error.Reason(), "./COM1 -> " + pty_.Slave() +
                                         ": in use by another program (Resource temporarily "
                                         "unavailable)");
    EXPECT_EQ(pty_.Settings().c_cc[VTIME], 1);  // the failed open left the port alone

    first.port.reset();
    EXPECT_TRUE(Open().port);
}

TEST_F(SerialPortTest, RefusesWhatIsNotAUsablePortAndNeverFallsBack) {
    const std::string dir = cwd_.Path();
    std::ofstream(dir + "/plain") << "x";
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
    std::ofstream(dir + "/active") << "nosuchtty " << pty_.Slave().substr(5) << "\n";  // as sysfs
    const std::vector<dev_t> consoles = ConsoleDevices(dir + "/active", "/dev");
    const termios before = pty_.Settings();

    const std::tuple<std::string, std::string, PortError> cases[] = {
        {"COM2", dir + "/unplugged", PortError::NotFound},
        {"COM3", dir + "/plain", PortError::NotSerial},
        {"COM4", dir, PortError::NotSerial},
        {"COM5", "/dev/null", PortError::NotSerial},
        {"COM6", dir + "/fifo", PortError::NotSerial},
        {"COM7", pty_.Slave(), PortError::Console},
    };
    for (const auto& [name, target, kind] : cases) {
        cwd_.Link(name, target);
        ASSERT_EQ(DevicePath(name), "./" + name);  // guard: never a /dev/ttyS* device
        const auto opened = SerialPort::Open(DevicePath(name), consoles);
        EXPECT_FALSE(opened.port) << name;
        EXPECT_EQ(opened.error.kind, kind) << name;
        EXPECT_EQ(opened.error.device, "./" + name + " -> " + target);
    }
    EXPECT_EQ(pty_.Settings().c_lflag, before.c_lflag);  // the console was not touched
}

TEST_F(SerialPortTest, ReadByteDeliversBytesThenTimesOutThenSeesHangupAtOnce) {
    auto opened = Open();
    ASSERT_TRUE(opened.port) << opened.error.Reason();
    const std::uint8_t sent[] = {0xAA, 0x00, 0x0D, 0x0A, 0x11, 0x13};  // no translation, no XON
    ASSERT_EQ(::write(pty_.Master(), sent, sizeof sent), static_cast<ssize_t>(sizeof sent));
    std::uint8_t byte = 0;
    for (const std::uint8_t expected : sent) {
        ASSERT_EQ(opened.port->Read(byte), SerialPort::ReadResult::Byte);
        EXPECT_EQ(byte, expected);
    }
    // A burst longer than one read takes arrives whole and in order.
    std::vector<std::uint8_t> burst(700);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_EQ(::write(pty_.Master(), burst.data(), burst.size()),
              static_cast<ssize_t>(burst.size()));
    for (std::size_t i = 0; i < burst.size(); ++i) {
        ASSERT_EQ(opened.port->Read(byte), SerialPort::ReadResult::Byte) << i;
        ASSERT_EQ(byte, burst[i]) << i;
    }

    auto started = Clock::now();
    EXPECT_EQ(opened.port->Read(byte), SerialPort::ReadResult::Nothing);
    EXPECT_GE(Clock::now() - started, milliseconds(80));  // a blocking read bounded by VTIME
    EXPECT_LT(Clock::now() - started, milliseconds(400));

    pty_.CloseMaster();
    started = Clock::now();
    EXPECT_EQ(opened.port->Read(byte), SerialPort::ReadResult::Gone);
    EXPECT_LT(Clock::now() - started, milliseconds(50));
}

}  // namespace
}  // namespace zorvane
