#include "TimelineFeed.h"

#include "LocalTime.h"

namespace zorvane {

void TimelineFeed::Start(const Moment& at) {
    start_ = at;
    timeline_.Begin(LocalTime(at.wall));
    timeline_.Port(0, true, out_);  // the line is watched from here
}

void TimelineFeed::Event(const LineEvent& event) {
    using Kind = LineEvent::Kind;
    const Micros at = TimeOf(event);
    switch (event.kind) {
        case Kind::Frame:
            return timeline_.Frame(at, event.frame, out_);
        case Kind::LinkDown:
            return timeline_.LinkDown(at, out_);
        case Kind::PortLost:
        case Kind::PortBack:
            return timeline_.Port(at, event.kind == Kind::PortBack, out_);
        case Kind::LinkUp:  // the frame that follows tells it
            return;
    }
}

void TimelineFeed::Quiet(const Moment& at) {
    timeline_.Idle(Since(at), out_);  // so that a growing file shows what came before the silence
}

void TimelineFeed::End(const Moment& at) {
    timeline_.End(Since(at), out_);
}

void TimelineFeed::End(std::uint64_t bytes) {
    timeline_.End(ByteTime(bytes), out_);
}

Micros TimelineFeed::TimeOf(const LineEvent& event) const {
    return start_ ? Since(event.at) : ByteTime(event.offset);
}

Micros TimelineFeed::Since(const Moment& at) const {
    const auto since =
        std::chrono::duration_cast<std::chrono::microseconds>(at.tick - start_->tick);
    return Micros(std::max<std::int64_t>(since.count(), 0));
}

}  // namespace zorvane
