#pragma once

#include "ChangeLog.h"
#include "FrameReceiver.h"
#include "LinkClock.h"
#include "LiveSink.h"

namespace zorvane {

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

}  // namespace zorvane
