#include "PortError.h"

#include <cerrno>

#include <gtest/gtest.h>

namespace zorvane {
namespace {

struct ErrnoCase {
    int err;
    PortError kind;
    const char* fragment;  // what the user must read
};

TEST(PortError, ReasonNamesDeviceProblemAndSystemWords) {
    const ErrnoCase cases[] = {
        {ENOENT, PortError::NotFound, "no such port (No such file or directory)"},
        {ENXIO, PortError::NotFound, "no such port"},
        {EACCES, PortError::NoPermission, "permission denied (Permission denied)"},
        {EPERM, PortError::NoPermission, "permission denied"},
        {EWOULDBLOCK, PortError::Busy, "in use by another program"},
        {EBUSY, PortError::Busy, "in use by another program"},
        {ENOTTY, PortError::NotSerial, "not a serial port"},
        {EIO, PortError::Gone, "does not respond"},
        {EMFILE, PortError::Other, "cannot be opened (Too many open files)"},
    };
    for (const auto& c : cases) {
        const OpenError error = ErrorFromErrno("./COM1 -> /dev/ttyUSB0", c.err);
        EXPECT_EQ(error.kind, c.kind) << c.err;
        const std::string reason = error.Reason();
        EXPECT_EQ(reason.rfind("./COM1 -> /dev/ttyUSB0: ", 0), 0u) << reason;
        EXPECT_NE(reason.find(c.fragment), std::string::npos) << reason;
        const bool hinted = reason.find("dialout") != std::string::npos;
        EXPECT_EQ(hinted, c.kind == PortError::NoPermission) << reason;
    }
}

TEST(PortError, OwnRefusalsCarryNoSystemWords) {
    const OpenError console{PortError::Console, "/dev/ttyS0", 0};
    EXPECT_EQ(console.Reason(), "/dev/ttyS0: this is the system console, which is left alone");
}

}  // namespace
}  // namespace zorvane
