#pragma once

#include <sys/types.h>
#include <termios.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "LineHealth.h"
#include "PortError.h"
#include "SystemConsole.h"
#include "UniqueFd.h"

namespace zorvane {

class SerialPort;

struct SerialOpenResult {
    std::unique_ptr<SerialPort> port;  // null on failure
    OpenError error;                   // meaningful when port is null
};

// An open serial port set up for the status line: exclusive, raw 57600 8O1, no flow control,
// input that waited before the opening thrown away, reads that return what has arrived or
// nothing after 100 ms. Destroying it puts back all the settings it
// found (line settings and time-outs) and closes it; a failure of either is told on standard
// error, as the port may be left as this program set it.
class SerialPort final {
  public:
    // Never blocks (a line without carrier included) and never opens a console in `consoles`.
    static SerialOpenResult Open(const std::string& path,
                                 const std::vector<dev_t>& consoles = ConsoleDevices());

    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    enum class ReadResult {
        Bytes,    // `got` holds what the read brought, valid until the next read
        Nothing,  // the read time-out passed
        Gone,     // unplugged or hung up: reads fail at once from now on
    };
    ReadResult Read(std::span<const std::uint8_t>& got);
    // Until a read would not wait (bytes, or a device gone), or `limit` passes.
    void AwaitBytes(std::chrono::milliseconds limit) const;
    // The driver's counts of the line's faults since the device came up; nothing for a port
    // that keeps none (a pseudo-terminal).
    std::optional<DriverErrors> ErrorCounts() const;

    // Closes without restoring anything: for a device that is gone.
    void Abandon() { fd_.Reset(); }

  private:
    SerialPort(UniqueFd fd, std::string device, const termios& saved);
    void RestoreAndClose();
    // "PROGRAM: DEVICE: WHAT: the system's reason", for the last failed call.
    void Report(const char* what) const;

    UniqueFd fd_;
    // What one read() brought: a system call per burst, not per byte, keeps the reader's CPU
    // low at the line rate.
    std::array<std::uint8_t, 256> buffer_{};
    int quickEmptyReads_ = 0;
    std::string device_;  // as the user sees it, for the messages
    termios saved_;
};

}  // namespace zorvane
