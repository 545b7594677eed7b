// The driver's counts of a line's faults (TIOCGICOUNT). A pseudo-terminal keeps none; this test's
// own ioctl stands in for a driver that does.
#include <dlfcn.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <atomic>
#include <cstdarg>

#include "ReconnectingPort.h"
#include "Support.h"

namespace {
std::atomic<int> driverParity{-1};  // -1: the system answers
}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (request == TIOCGICOUNT && driverParity >= 0) {
        auto* counts = static_cast<serial_icounter_struct*>(arg);
        *counts = {};
        counts->parity = driverParity;
        counts->buf_overrun = 2 * driverParity;
        return 0;
    }
    using Ioctl = int (*)(int, unsigned long, ...);
    static const auto system = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    return system(fd, request, arg);
}

namespace zorvane {
namespace {

// Counted from the opening, and summed over a replug, after which the new device counts afresh.
TEST(ErrorCounts, CountFromTheOpeningAcrossReplugsOrAreNotKnown) {
    test::TempFolder folder;
    test::Pty pty, replugged;
    ZORVANE_REQUIRE_PTY(pty);
    folder.Link("COM1", pty.Slave());
    auto opened = SerialPort::Open("./COM1", {});
    ASSERT_TRUE(opened.port);
    EXPECT_FALSE(opened.port->ErrorCounts()) << "a pseudo-terminal counts nothing";

    driverParity = 5;  // before the opening: not ours
    int back = 0;
    ReconnectingPort port("./COM1", std::move(opened.port),
                          [&](ReconnectingPort::Change change, auto&) {
                              back += change == ReconnectingPort::Change::Back;
                          },
                          {});
    driverParity = 8;
    EXPECT_EQ(port.ErrorCounts(), (DriverErrors{3, 0, 0, 6, 0}));
    pty.CloseMaster();
    (void)port.Read();  // finds it gone
    folder.Link("COM1", replugged.Slave());
    driverParity = 1;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            (void)port.Read();  // reopens once a second
            return back == 1;
        },
        3000));
    driverParity = 4;
    EXPECT_EQ(port.ErrorCounts(), (DriverErrors{6, 0, 0, 12, 0}));
}

}  // namespace
}  // namespace zorvane
