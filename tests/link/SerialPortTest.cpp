#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "PortName.h"
#include "SerialPort.h"
#include "Support.h"

namespace zorvane {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The slave of a pseudo-terminal linked as ./COM1 in a temporary current folder.
class SerialPortTest : public testing::Test {
  protected:
    void SetUp() override {
        ZORVANE_REQUIRE_PTY(pty_);
        folder_.Link("COM1", pty_.Slave());
    }
    static SerialOpenResult Open() { return SerialPort::Open("./COM1", {}); }

    test::TempFolder folder_;
    test::Pty pty_;
};

TEST_F(SerialPortTest, OpensExclusivelySetsTheLineUpAndRestoresAllItFound) {
    termios dirty = pty_.Settings();  // everything the open must undo
    dirty.c_lflag |= ICANON | ECHO | ISIG;
    dirty.c_iflag |= IXON | IXOFF | ICRNL | INPCK;
    dirty.c_oflag |= OPOST;
    dirty.c_cflag = (dirty.c_cflag | CSTOPB | CRTSCTS) & ~(PARODD | CLOCAL);
    ::cfsetspeed(&dirty, B9600);
    ASSERT_EQ(::tcsetattr(pty_.Master(), TCSANOW, &dirty), 0);
    pty_.SetTimeouts(7, 3);
    const termios found = pty_.Settings();  // as the pseudo-terminal took them

    auto opened = Open();
    ASSERT_TRUE(opened.port) << opened.error.Reason();
    // The pseudo-terminal drops PARENB itself; PARODD shows the parity asked for.
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

    const auto second = Open();  // the lock, which even root respects
    EXPECT_FALSE(second.port);
    EXPECT_EQ(second.error.Reason(), "./COM1 -> " + pty_.Slave() +
                                         ": in use by another program (Resource temporarily "
                                         "unavailable)");
    EXPECT_EQ(pty_.Settings().c_cc[VTIME], 1);  // the failed open left the port alone

    opened.port.reset();
    t = pty_.Settings();
    EXPECT_TRUE(t.c_iflag == found.c_iflag && t.c_oflag == found.c_oflag &&
                t.c_cflag == found.c_cflag && t.c_lflag == found.c_lflag &&
                std::equal(t.c_cc, t.c_cc + NCCS, found.c_cc));
    EXPECT_TRUE(Open().port) << "restored, it opens again";
}

// COMn is ./COMn when that entry exists, even as a dangling link.
TEST_F(SerialPortTest, RefusesWhatIsNotAUsablePortAndNamesIt) {
    const std::string dir = folder_.Path();
    folder_.Write("plain", "x");
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
    folder_.Write("active", "nosuchtty " + pty_.Slave().substr(5) + "\n");  // as sysfs lists it
    const std::vector<dev_t> consoles = ConsoleDevices(dir + "/active", "/dev");
    const termios before = pty_.Settings();
    const int locked = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);  // its slave will not open

    const std::tuple<std::string, std::string, PortError> cases[] = {
        {"COM2", dir + "/unplugged", PortError::NotFound},
        {"COM3", dir + "/plain", PortError::NotSerial},
        {"COM4", dir, PortError::NotSerial},
        {"COM5", "/dev/null", PortError::NotSerial},
        {"COM6", dir + "/fifo", PortError::NotSerial},
        {"COM7", pty_.Slave(), PortError::Console},
        {"COM8", ::ptsname(locked), PortError::Gone},
    };
    for (const auto& [name, target, kind] : cases) {
        folder_.Link(name, target);
        ASSERT_EQ(DevicePath(name), "./" + name);  // never a /dev/ttyS* device
        const auto opened = SerialPort::Open(DevicePath(name), consoles);
        EXPECT_FALSE(opened.port) << name;
        EXPECT_EQ(opened.error.kind, kind) << name;
        EXPECT_EQ(opened.error.device, "./" + name + " -> " + target);
    }
    EXPECT_EQ(pty_.Settings().c_lflag, before.c_lflag);  // the console was not touched
    ::close(locked);
    // Without an entry of its name a port is a serial device: only names are compared here.
    EXPECT_EQ(DevicePath("COM9"), "/dev/ttyS8");
    EXPECT_EQ(DevicePath("COM12"), "/dev/ttyS11");
    EXPECT_EQ(DevicePath("COM0"), "COM0");  // not a port name: a path
    EXPECT_EQ(DescribeDevice("/dev/ttyS8"), "/dev/ttyS8");
}

TEST_F(SerialPortTest, PassesBytesAsTheyAreThenTimesOutThenSeesAHangup) {
    auto opened = Open();
    ASSERT_TRUE(opened.port) << opened.error.Reason();
    std::span<const std::uint8_t> got;
    for (const std::uint8_t one : {0xAA, 0x0D, 0x00}) {  // a byte a read, as a slow line gives them
        ASSERT_TRUE(pty_.Write(std::span(&one, 1)));
        ASSERT_EQ(opened.port->Read(got), SerialPort::ReadResult::Bytes);
        ASSERT_EQ(std::vector(got.begin(), got.end()), std::vector{one});
    }
    std::vector<std::uint8_t> sent = {0xAA, 0x00, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x7F}, received;
    for (int i = 0; i < 700; ++i)  // a burst longer than one read takes
        sent.push_back(static_cast<std::uint8_t>(i * 7));
    ASSERT_TRUE(pty_.Write(sent));
    auto started = Clock::now();
    opened.port->AwaitBytes(1s);
    EXPECT_LT(Clock::now() - started, 500ms) << "bytes are waiting";
    while (received.size() < sent.size()) {
        ASSERT_EQ(opened.port->Read(got), SerialPort::ReadResult::Bytes) << received.size();
        received.insert(received.end(), got.begin(), got.end());
    }
    EXPECT_EQ(received, sent);

    started = Clock::now();
    opened.port->AwaitBytes(100ms);
    EXPECT_EQ(opened.port->Read(got), SerialPort::ReadResult::Nothing);
    EXPECT_GE(Clock::now() - started, 180ms);  // both wait, a read bounded by VTIME
    EXPECT_LT(Clock::now() - started, 1s);

    pty_.CloseMaster();
    EXPECT_EQ(opened.port->Read(got), SerialPort::ReadResult::Gone);
    testing::internal::CaptureStderr();
    opened.port.reset();  // a hung-up terminal takes no settings
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "link_serial_test: ./COM1 -> " + pty_.Slave() +
                  ": cannot put its settings back: Input/output error\n");
}

// The window shows the Czech reason, the tools the English one.
TEST(PortError, TheSystemsWordsInEnglishOnlyTheErrorsNameInCzech) {
    // The system's words in English, only the error's name in Czech; the hint in both.
    const OpenError denied = ErrorFromErrno("./COM1", EACCES);
    const std::string english = denied.Reason(), czech = denied.CzechReason();
    EXPECT_NE(english.find(" (Permission denied)\n"), std::string::npos) << english;
    EXPECT_NE(czech.find(" (EACCES)\n"), std::string::npos) << czech;
    EXPECT_EQ(czech.find("Permission denied"), std::string::npos) << czech;
    EXPECT_NE(english.find("dialout"), std::string::npos);
    EXPECT_NE(czech.find("dialout"), std::string::npos);
}

}  // namespace
}  // namespace zorvane
