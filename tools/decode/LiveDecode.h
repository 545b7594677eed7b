#pragma once

#include <cstdint>
#include <string>

#include "ChangeLog.h"
#include "FrameReceiver.h"
#include "LinkClock.h"
#include "ReconnectingPort.h"
#include "StreamDecoder.h"

namespace zorvane {

// What the live loop hands on, with when it happened; lines to print go to `out`.
class LiveSink {
  public:
    virtual ~LiveSink() = default;
    virtual void Byte(std::uint8_t byte, const Moment& at, std::string& out) = 0;
    // A read brought nothing.
    virtual void Quiet(const Moment& at, std::string& out) = 0;
    // `device` as a person reads it ("./COM1 -> /dev/ttyUSB0").
    virtual void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
                      std::string& out) = 0;
};

// Says on standard error that the port went away or came back.
void TellPortChange(ReconnectingPort::Change change, const std::string& device);

// The plain and --trace forms on a device: the offsets count the bytes read since the start, a
// port that goes and comes back is told on standard error.
class LiveLines final : public LiveSink {
  public:
    explicit LiveLines(bool trace) : decoder_(trace) {}

    void Byte(std::uint8_t byte, const Moment&, std::string& out) override {
        decoder_.Feed(&byte, 1, out);
    }
    void Quiet(const Moment&, std::string&) override {}
    void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
              std::string& out) override;

  private:
    StreamDecoder decoder_;
};

// --changes on a device: frames, link and port events in the log, stamped with the local time.
class LiveChanges final : public LiveSink {
  public:
    explicit LiveChanges(ChangeLog& log) : log_(log) {}

    void Byte(std::uint8_t byte, const Moment& at, std::string& out) override;
    void Quiet(const Moment& at, std::string& out) override { NoteSilence(at, out); }
    void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
              std::string& out) override;

  private:
    // Every entry point asks first, so the log stays in the order things happened.
    void NoteSilence(const Moment& now, std::string& out);

    ChangeLog& log_;
    FrameReceiver receiver_;
    LinkClock link_;
};

// Opens `portName` (a path, or COMn with the monitor's mapping) as the monitor does and hands
// everything read to `sink` until Ctrl-C or SIGTERM; a device that goes away is waited for and
// opened again. Then the port is restored. Returns the exit status: 0 when stopped, 1 when the
// port cannot be opened or output fails.
int DecodeDevice(const std::string& portName, LiveSink& sink);

}  // namespace zorvane
