#pragma once

#include <string>

#include "FrameReceiver.h"
#include "LineJson.h"
#include "LinkClock.h"
#include "LiveDecode.h"
#include "MqttPublisher.h"

namespace zorvane {

// --mqtt on a device: the line's state, and an event for every line --changes writes, stamped
// with the same times, go to `publisher`; everything read also goes on to `also` (the text on
// standard output), when given. The publisher starts once the port is open.
class MqttLine final : public LiveSink {
  public:
    MqttLine(MqttPublisher& publisher, const LampCaptions& captions, LiveSink* also)
        : publisher_(publisher), captions_(captions), also_(also) {}

    void Byte(std::uint8_t byte, const Moment& at, std::string& out) override;
    void Quiet(const Moment& at, std::string& out) override;
    void Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
              std::string& out) override;

  private:
    // Every entry point asks first, so the events stay in the order things happened.
    void NoteSilence(const Moment& now);
    void Changed(std::string when);

    MqttPublisher& publisher_;
    const LampCaptions& captions_;
    LiveSink* also_;
    FrameReceiver receiver_;
    LinkClock link_;
    LineState state_;
    bool started_ = false;
};

// Decodes `portName` as DecodeDevice does and publishes to the broker of `settings`; the exit
// status.
int PublishDevice(const std::string& portName, const MqttSettings& settings,
                  const LampCaptions& captions, LiveSink* also);

}  // namespace zorvane
