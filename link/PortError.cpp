#include "PortError.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace zorvane {

namespace {

struct Texts {
    const char* english;
    const char* czech;
};

Texts Summary(PortError kind) {
    switch (kind) {
        case PortError::NotFound:
            return {"no such port", "takový port neexistuje"};
        case PortError::NoPermission:
            return {"permission denied", "přístup odepřen"};
        case PortError::Busy:
            return {"in use by another program", "port používá jiný program"};
        case PortError::NotSerial:
            return {"not a serial port", "nejde o sériový port"};
        case PortError::Console:
            return {"this is the system console, which is left alone",
                    "je to systémová konzole, tu program nechává být"};
        case PortError::Gone:
            return {"the device does not respond (unplugged?)",
                    "zařízení neodpovídá (je odpojeno?)"};
        case PortError::Other:
            break;
    }
    return {"cannot be opened", "nelze otevřít"};
}

Texts Hint(PortError kind) {
    if (kind != PortError::NoPermission) return {};
    return {
        "Serial ports belong to the dialout group: run \"sudo usermod -aG dialout $USER\" and "
        "log in again.",
        "Sériové porty patří skupině dialout: spusťte \"sudo usermod -aG dialout $USER\" a "
        "přihlaste se znovu."};
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
    std::string text = device + ": " + Summary(kind).english;
    if (sysErrno != 0) text += " (" + std::generic_category().message(sysErrno) + ")";
    if (const char* hint = Hint(kind).english) text += std::string("\n") + hint;
    return text;
}

std::string OpenError::CzechReason() const {
    std::string text = device + ": " + Summary(kind).czech;
    // The system's own words are English; its name for the error is not a sentence.
    if (const char* name = sysErrno != 0 ? ::strerrorname_np(sysErrno) : nullptr)
        text += std::string(" (") + name + ")";
    if (const char* hint = Hint(kind).czech) text += std::string("\n") + hint;
    return text;
}

OpenError ErrorFromErrno(std::string device, int err) {
    return {ClassifyErrno(err), std::move(device), err};
}

}  // namespace zorvane
