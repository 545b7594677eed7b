#include "PortError.h"

#include <cerrno>
#include <system_error>

namespace zorvane {

namespace {

const char* Summary(PortError kind) {
    switch (kind) {
        case PortError::NotFound:
            return "no such port";
        case PortError::NoPermission:
            return "permission denied";
        case PortError::Busy:
            return "in use by another program";
        case PortError::NotSerial:
            return "not a serial port";
        case PortError::Console:
            return "this is the system console, which is left alone";
        case PortError::Gone:
            return "the device does not respond (unplugged?)";
        case PortError::Other:
            break;
    }
    return "cannot be opened";
}

const char* Hint(PortError kind) {
    if (kind != PortError::NoPermission) return nullptr;
    return "Serial ports belong to the dialout group: run \"sudo usermod -aG dialout $USER\" and "
           "log in again.";
}

PortError ClassifyErrno(int err) {
    switch (err) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
        case ELOOP:
        case ENAMETOOLONG:
            return PortError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return PortError::NoPermission;
        case EBUSY:
        case EWOULDBLOCK:
            return PortError::Busy;
        case ENOTTY:
        case EISDIR:
            return PortError::NotSerial;
        case EIO:
            return PortError::Gone;
        default:
            return PortError::Other;
    }
}

}  // namespace

std::string OpenError::Reason() const {
    std::string text = device + ": " + Summary(kind);
    if (sysErrno != 0) text += " (" + std::generic_category().message(sysErrno) + ")";
    if (const char* hint = Hint(kind)) text += std::string("\n") + hint;
    return text;
}

OpenError ErrorFromErrno(std::string device, int err) {
    return {ClassifyErrno(err), std::move(device), err};
}

}  // namespace zorvane
