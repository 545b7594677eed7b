#include "MqttLine.h"

#include "ChangeLog.h"
#include "LocalTime.h"

namespace zorvane {

namespace {

std::string EventJson(std::string_view when, ChangeLog::Event event) {
    return zorvane::EventJson(when, ChangeLog::EventName(event));
}

}  // namespace

void MqttLine::Byte(std::uint8_t byte, const Moment& at, std::string& out) {
    if (also_) also_->Byte(byte, at, out);
    NoteSilence(at);
    if (!DecodeByte(receiver_, byte).completed) return;
    const Frame& frame = receiver_.LatestFrame();
    const bool up = link_.Frame(at);
    if (!up && state_.linkUp && state_.frame == frame) return;
    const std::string when = LocalTime(at.wall);
    if (up) publisher_.Event(EventJson(when, ChangeLog::Event::LinkUp));
    if (state_.frame != frame) publisher_.Event(ChangeJson(when, state_.frame, frame, captions_));
    state_.frame = frame;
    state_.linkUp = true;
    Changed(when);
}

void MqttLine::Quiet(const Moment& at, std::string& out) {
    if (also_) also_->Quiet(at, out);
    NoteSilence(at);
}

void MqttLine::Port(ReconnectingPort::Change change, const std::string& device, const Moment& at,
                    std::string& out) {
    if (also_)
        also_->Port(change, device, at, out);
    else
        TellPortChange(change, device);
    NoteSilence(at);
    const bool lost = change == ReconnectingPort::Change::Lost;
    const std::string when = LocalTime(at.wall);
    publisher_.Event(
        EventJson(when, lost ? ChangeLog::Event::PortLost : ChangeLog::Event::PortBack));
    state_.portOpen = !lost;
    Changed(when);
}

void MqttLine::NoteSilence(const Moment& now) {
    if (!started_) {  // the port is open: the state before the first frame
        started_ = true;
        Changed(LocalTime(now.wall));
    }
    const auto down = link_.WentDown(now);
    if (!down) return;
    const std::string when = LocalTime(down->wall);
    publisher_.Event(EventJson(when, ChangeLog::Event::LinkDown));
    state_.linkUp = false;
    Changed(when);
}

void MqttLine::Changed(std::string when) {
    state_.time = std::move(when);
    publisher_.State(state_);
}

int PublishDevice(const std::string& portName, const MqttSettings& settings,
                  const LampCaptions& captions, LiveSink* also) {
    MqttPublisher publisher(settings, captions);
    MqttLine sink(publisher, captions, also);
    return DecodeDevice(portName, sink);
}

}  // namespace zorvane
