#include "LiveChanges.h"

#include "LocalTime.h"

namespace zorvane {

void LiveChanges::Byte(std::uint8_t byte, const Moment& at, std::string& out) {
    NoteSilence(at, out);
    if (!DecodeByte(receiver_, byte).completed) return;
    const std::string when = LocalTime(at.wall);
    if (link_.Frame(at)) log_.AddEvent(when, ChangeLog::Event::LinkUp, out);
    log_.AddFrame(when, receiver_.LatestFrame(), out);
}

void LiveChanges::Port(ReconnectingPort::Change change, const std::string& /*device*/,
                       const Moment& at, std::string& out) {
    NoteSilence(at, out);
    const bool lost = change == ReconnectingPort::Change::Lost;
    log_.AddEvent(LocalTime(at.wall),
                  lost ? ChangeLog::Event::PortLost : ChangeLog::Event::PortBack, out);
}

void LiveChanges::NoteSilence(const Moment& now, std::string& out) {
    if (const auto down = link_.WentDown(now))
        log_.AddEvent(LocalTime(down->wall), ChangeLog::Event::LinkDown, out);
}

}  // namespace zorvane
