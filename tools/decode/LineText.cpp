#include "LineText.h"

#include <algorithm>
#include <cstdio>

#include "LocalTime.h"
#include "PortName.h"
#include "TextOutput.h"

namespace zorvane {

void FrameLines::Event(const LineEvent& event) {
    if (event.kind != LineEvent::Kind::Frame) return;
    char line[kDecimalMax + kDataBytesText + kStatusLineMax + 2];
    char* end = WriteDataBytes(WriteDecimal(line, event.offset), event.frame);
    *end++ = ' ';
    end = WriteStatusLine(end, 1, event.before);
    *end++ = '\n';
    out_.append(line, end);
}

void TraceLines::Byte(std::uint64_t offset, std::uint8_t byte, const DecodedByte& step) {
    char line[kDecimalMax + 4 + kStatusLineMax + 7];
    char* end = WriteDecimal(line, offset);
    *end++ = ' ';
    end = WriteHex(end, byte);
    *end++ = ' ';
    end = WriteStatusLine(end, 1, step.before);
    if (step.completed) end = std::copy_n(" frame", 6, end);
    *end++ = '\n';
    out_.append(line, end);
}

void ChangeLines::Event(const LineEvent& event) {
    if (event.kind == LineEvent::Kind::Frame)
        log_.AddFrame(
            event.frame, [&] { return When(event); }, out_);
    else
        log_.AddEvent(When(event), event.kind, out_);
}

std::string ChangeLines::When(const LineEvent& event) const {
    return clocked_ ? LocalTime(event.at.wall) : std::to_string(event.offset);
}

std::string HealthFields(const LineHealth& health) {
    const auto driver = [&health](std::uint64_t DriverErrors::*count) {
        return health.driver ? std::to_string((*health.driver).*count) : std::string("n/a");
    };
    return "checksum errors " + std::to_string(health.checksumErrors) + ", skipped bytes " +
           std::to_string(health.skippedBytes) + ", parity " + driver(&DriverErrors::parity) +
           ", framing " + driver(&DriverErrors::framing) + ", overrun " +
           driver(&DriverErrors::overrun) + ", buffer overrun " +
           driver(&DriverErrors::bufferOverrun) + ", breaks " + driver(&DriverErrors::breaks);
}

std::string HealthLine(const LineHealth& health) {
    return "line: frames " + std::to_string(health.frames) + ", " + HealthFields(health) + "\n";
}

void PortNotes::Event(const LineEvent& event) {
    const bool lost = event.kind == LineEvent::Kind::PortLost;
    if (!lost && event.kind != LineEvent::Kind::PortBack) return;
    std::fprintf(stderr, "zorvane-decode: %s %s\n", DescribeDevice(path_).c_str(),
                 lost ? "is gone; waiting for it" : "is back");
}

}  // namespace zorvane
