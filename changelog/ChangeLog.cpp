#include "ChangeLog.h"

#include "TextAppend.h"

namespace zorvane {

std::string_view ChangeLog::EventName(Event event) {
    switch (event) {
        case Event::LinkDown:
            return "link-down";
        case Event::LinkUp:
            return "link-up";
        case Event::PortLost:
            return "port-lost";
        case Event::PortBack:
            return "port-back";
        case Event::Frame:
            break;
    }
    return "";
}

void ChangeLog::AddChange(std::string_view when, const Frame& frame, std::string& out) {
    ++changes_;
    out += when;
    for (const std::uint8_t b : frame.data) {
        out += ' ';
        AppendHex(b, out);
    }
    AppendLamps(frame, out);
    out += '\n';
    previous_ = frame;
}

void ChangeLog::AppendLamps(const Frame& frame, std::string& out) const {
    for (int lamp = 1; lamp <= kLampCount; ++lamp) {
        const bool on = frame.Lamp(lamp);
        if (on == (previous_ && previous_->Lamp(lamp))) continue;
        out += on ? " +" : " -";
        AppendDecimal(static_cast<std::uint64_t>(lamp), out);
        if (captions_[lamp - 1].empty()) continue;
        out += ' ';
        out += captions_[lamp - 1];
    }
}

void ChangeLog::AddEvent(std::string_view when, Event event, std::string& out) {
    if (event == Event::LinkDown) ++linkDrops_;
    if (event == Event::PortLost) ++portLosses_;
    out += when;
    out += ' ';
    out += EventName(event);
    out += '\n';
}

std::string ChangeLog::Summary() const {
    return "frames " + std::to_string(frames_) + ", changes " + std::to_string(changes_) +
           ", link drops " + std::to_string(linkDrops_) + ", port losses " +
           std::to_string(portLosses_);
}

}  // namespace zorvane
