#include "LiveTimeline.h"

#include "LocalTime.h"

namespace zorvane {

LiveTimeline::LiveTimeline(Timeline& timeline, LiveSink* also, const Moment& start)
    : timeline_(timeline), also_(also), start_(start) {
    timeline_.Begin(LocalTime(start.wall));
}

void LiveTimeline::Byte(std::uint8_t byte, const Moment& at, std::string& out) {
    if (also_) also_->Byte(byte, at, out);
    NoteSilence(at, out);
    if (!DecodeByte(receiver_, byte).completed) return;
    link_.Frame(at);
    timeline_.Frame(Since(at), receiver_.LatestFrame(), out);
}

void LiveTimeline::Quiet(const Moment& at, std::string& out) {
    if (also_) also_->Quiet(at, out);
    NoteSilence(at, out);
    timeline_.Idle(Since(at), out);  // so that a growing file shows what came before the silence
}

void LiveTimeline::Port(ReconnectingPort::Change change, const std::string& device,
                        const Moment& at, std::string& out) {
    if (also_)
        also_->Port(change, device, at, out);
    else
        TellPortChange(change, device);
    NoteSilence(at, out);
    timeline_.Port(Since(at), change == ReconnectingPort::Change::Back, out);
}

void LiveTimeline::End(const Moment& at, std::string& out) {
    NoteSilence(at, out);
    timeline_.End(Since(at), out);
}

Micros LiveTimeline::Since(const Moment& at) const {
    return std::chrono::duration_cast<std::chrono::microseconds>(at.tick - start_.tick).count();
}

void LiveTimeline::NoteSilence(const Moment& now, std::string& out) {
    if (const auto down = link_.WentDown(now)) timeline_.LinkDown(Since(*down), out);
}

}  // namespace zorvane
