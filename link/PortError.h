#pragma once

#include <string>

namespace zorvane {

// Why a port could not be opened, in the few kinds a user can act on.
enum class PortError {
    NotFound,      // no such device (or a dangling COMn link)
    NoPermission,  // exists, but this user may not open it
    Busy,          // another program holds it
    NotSerial,     // exists, but is not a terminal device
    Console,       // the machine's active system console: never reconfigured
    Gone,          // the device stopped answering (unplugged, hung up)
    Other,
};

struct OpenError {
    PortError kind = PortError::Other;
    std::string device;  // what was opened, as the user sees it ("./COM1 -> /dev/ttyUSB0")
    int sysErrno = 0;    // 0 when the refusal is our own

    // One or two lines for the user: the device, what is wrong, the system's words, and a hint
    // where there is one.
    std::string Reason() const;
    // The same for the window, whose messages are Czech.
    std::string CzechReason() const;
};

OpenError ErrorFromErrno(std::string device, int err);

}  // namespace zorvane
