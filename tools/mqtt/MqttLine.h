#pragma once

#include <string>

#include "LineEvent.h"
#include "LineJson.h"
#include "MqttPublisher.h"

namespace zorvane {

// --mqtt: the line's state, and an event for every line --changes writes, stamped with the same
// times, and the line's health go to `publisher`. The publisher starts once the port is open.
class MqttLine final : public LineConsumer {
  public:
    MqttLine(MqttPublisher& publisher, const LampCaptions& captions)
        : publisher_(publisher), captions_(captions) {}

    void Start(const Moment& at) override;
    void Event(const LineEvent& event) override;
    void Health(const LineHealth& health, const Moment& at) override;

  private:
    void Frame(const LineEvent& frame, const std::string& when);
    void Changed(std::string when);

    MqttPublisher& publisher_;
    const LampCaptions& captions_;
    LineState state_;
};

}  // namespace zorvane
