#pragma once

#include <string>

#include "ChangeLog.h"
#include "LineEvent.h"
#include "LineHealth.h"

namespace zorvane {

// What zorvane-decode prints of the line, appended to `out`.

// One line per frame: "OFFSET D0 D1 D2 D3 D4 E0 E1 E2 STATUS".
class FrameLines final : public LineConsumer {
  public:
    explicit FrameLines(std::string& out) : out_(out) {}
    void Event(const LineEvent& event) override;

  private:
    std::string& out_;
};

// --trace: one line per byte, "OFFSET BYTE STATUS [frame]".
class TraceLines final : public LineConsumer {
  public:
    explicit TraceLines(std::string& out) : out_(out) {}
    void Event(const LineEvent&) override {}
    bool WantsBytes() const override { return true; }
    void Byte(std::uint64_t offset, std::uint8_t byte, const DecodedByte& step) override;

  private:
    std::string& out_;
};

// --changes: the change log's lines, stamped with the local time on a device, with the byte
// offset in a capture, which has no clock.
class ChangeLines final : public LineConsumer {
  public:
    ChangeLines(ChangeLog& log, bool clocked, std::string& out)
        : log_(log), clocked_(clocked), out_(out) {}
    void Event(const LineEvent& event) override;

  private:
    std::string When(const LineEvent& event) const;

    ChangeLog& log_;
    bool clocked_;
    std::string& out_;
};

// "checksum errors C, skipped bytes S, parity P, framing M, overrun O, buffer overrun B,
// breaks K", each "n/a" where the port cannot tell.
std::string HealthFields(const LineHealth& health);
// --stats's last line: "line: frames F, " and the fields above.
std::string HealthLine(const LineHealth& health);

// Says on standard error that the port at `path` went away or came back, where no change log
// tells it.
class PortNotes final : public LineConsumer {
  public:
    explicit PortNotes(std::string path) : path_(std::move(path)) {}
    void Event(const LineEvent& event) override;

  private:
    std::string path_;
};

}  // namespace zorvane
