#include "MqttLine.h"

#include "ChangeLog.h"
#include "LocalTime.h"

namespace zorvane {

void MqttLine::Start(const Moment& at) {
    Changed(LocalTime(at.wall));  // the port is open: the state before the first frame
}

void MqttLine::Event(const LineEvent& event) {
    using Kind = LineEvent::Kind;
    // An unchanged frame on a live link says nothing new: no clock read, no text made.
    if (event.kind == Kind::Frame && state_.linkUp && state_.frame == event.frame) return;
    const std::string when = LocalTime(event.at.wall);
    switch (event.kind) {
        case Kind::Frame:
            return Frame(event, when);
        case Kind::LinkUp:
            // The state tells it with the frame that follows.
            return publisher_.Event(EventJson(when, ChangeLog::EventName(event.kind)));
        case Kind::LinkDown:
            state_.linkUp = false;
            break;
        case Kind::PortLost:
        case Kind::PortBack:
            state_.portOpen = event.kind == Kind::PortBack;
            break;
    }
    publisher_.Event(EventJson(when, ChangeLog::EventName(event.kind)));
    Changed(when);
}

void MqttLine::Health(const LineHealth& health, const Moment& /*at*/) {
    publisher_.Health(HealthJson(health));
}

void MqttLine::Frame(const LineEvent& frame, const std::string& when) {
    if (state_.frame != frame.frame)
        publisher_.Event(ChangeJson(when, state_.frame, frame.frame, captions_));
    state_.frame = frame.frame;
    state_.linkUp = true;
    Changed(when);
}

void MqttLine::Changed(std::string when) {
    state_.time = std::move(when);
    publisher_.State(state_);
}

}  // namespace zorvane
