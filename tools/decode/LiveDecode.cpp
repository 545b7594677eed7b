#include "LiveDecode.h"

#include <cstdio>
#include <thread>

#include "ReconnectingPort.h"
#include "StopSignals.h"
#include "WriteOutput.h"

namespace zorvane {

int DecodeDevice(const std::string& path, LiveSink& sink) {
    SerialOpenResult opened = SerialPort::Open(path);
    if (!opened.port) {
        std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", path.c_str(),
                     opened.error.Reason().c_str());
        return 1;
    }
    InstallStopHandlers();
    std::string out;
    // The listener runs inside ReadByte, on this thread.
    ReconnectingPort port(path, std::move(opened.port),
                          [&](ReconnectingPort::Change change, const std::string& device) {
                              sink.Port(change, device, Moment::Now(), out);
                          });
    while (!StopRequested()) {
        const auto started = std::chrono::steady_clock::now();
        std::uint8_t byte = 0;
        const bool got = port.ReadByte(byte);
        if (got)
            sink.Byte(byte, Moment::Now(), out);
        else
            sink.Quiet(Moment::Now(), out);
        if (!out.empty() && !WriteOutput(out)) return 1;
        out.clear();
        // A port that is gone fails at once, forever: never read again sooner than a time-out.
        if (!got) std::this_thread::sleep_until(started + kReadTimeout);
    }
    return 0;
}

}  // namespace zorvane
