#include "ChangeLog.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "TextOutput.h"

namespace zorvane {

LampCaptions CaptionsBesideLamps(const NamesScan& scan) {
    LampCaptions captions;
    for (int lamp = 1; lamp <= kLampCount; ++lamp) {
        const auto& name = scan.captions[LampBesideName(lamp) - 1];
        if (!name) continue;
        for (const char c : *name)
            if (c != '\r' && c != '\n') captions[lamp - 1] += c;
    }
    return captions;
}

std::string LocalTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto millis = duration_cast<milliseconds>(time - seconds).count();
    const std::time_t t = system_clock::to_time_t(seconds);
    std::tm local{};
    (void)localtime_r(&t, &local);  // fails only past the year 2^31; zeros then
    char date[32];
    char zone[8];  // "+0100"
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local);
    char text[64];
    std::snprintf(text, sizeof text, "%s.%03d%.3s:%s", date, static_cast<int>(millis), zone,
                  zone + 3);
    return text;
}

bool LinkClock::Frame(const Moment& at) {
    lastFrame_ = at;
    return std::exchange(down_, false);
}

std::optional<Moment> LinkClock::WentDown(const Moment& now) {
    if (!lastFrame_ || down_ || now.tick - lastFrame_->tick < kSilenceLimit) return std::nullopt;
    down_ = true;
    // When it happened, not when a read that brought nothing noticed it.
    return lastFrame_->After(kSilenceLimit);
}

namespace {

const char* EventName(ChangeLog::Event event) {
    switch (event) {
        case ChangeLog::Event::LinkDown:
            return "link-down";
        case ChangeLog::Event::LinkUp:
            return "link-up";
        case ChangeLog::Event::PortLost:
            return "port-lost";
        case ChangeLog::Event::PortBack:
            return "port-back";
    }
    return "";
}

}  // namespace

void ChangeLog::AddChange(std::string_view when, const Frame& frame, std::string& out) {
    ++changes_;
    out += when;
    char bytes[kDataBytesText];
    out.append(bytes, WriteDataBytes(bytes, frame));
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
