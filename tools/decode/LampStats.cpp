#include "LampStats.h"

#include "LineText.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zorvane {

namespace {

void KeepShortest(std::optional<Micros>& shortest, Micros span) {
    shortest = std::min(shortest.value_or(span), span);
}

std::string Milliseconds(const std::optional<Micros>& span) {
    if (!span) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", double(*span) / 1000);
    return text;
}

}  // namespace

void LampStats::Frame(Micros at, const zorvane::Frame& frame, std::string& /*out*/) {
    if (!watchedSince_) watchedSince_ = at;
    const bool first = !std::exchange(lampsKnown_, true);
    for (int n = 1; n <= kLampCount; ++n) {
        Lamp& lamp = lamps_[n - 1];
        const bool on = frame.Lamp(n);
        if (first) {
            lamp.on = on;
            lamp.seenBegin = false;
            lamp.since = at;
        }
        if (on == lamp.on) continue;
        const Micros span = at - lamp.since;
        if (lamp.seenBegin) KeepShortest(lamp.on ? lamp.shortestOn : lamp.shortestOff, span);
        if (lamp.on) lamp.timeOn += span;
        if (on) ++lamp.ons;
        lamp.on = on;
        lamp.changed = true;
        lamp.seenBegin = true;
        lamp.since = at;
    }
}

void LampStats::Port(Micros at, bool open, std::string& /*out*/) {
    EndWatch(at);
    if (open) watchedSince_ = at;
}

void LampStats::Gap(Micros at, std::string& /*out*/) {
    EndWatch(at);
}

void LampStats::End(Micros at, std::string& /*out*/) {
    EndWatch(at);
}

void LampStats::EndWatch(Micros at) {
    if (!watchedSince_) return;
    for (Lamp& lamp : lamps_)
        if (lampsKnown_ && lamp.on) lamp.timeOn += std::max(at, lamp.since) - lamp.since;
    watched_ += std::max(at, *watchedSince_) - *watchedSince_;
    watchedSince_.reset();
    lampsKnown_ = false;
}

std::string LampStats::Report() const {
    std::string report;
    for (int n = 1; n <= kLampCount; ++n) {
        const Lamp& lamp = lamps_[n - 1];
        if (!lamp.changed) continue;
        char share[80];
        std::snprintf(share, sizeof share, "on %.1f %% of %.3f s watched",
                      watched_ ? 100.0 * double(lamp.timeOn) / double(watched_) : 0.0,
                      double(watched_) / 1e6);
        report += std::to_string(n) + (captions_[n - 1].empty() ? "" : " " + captions_[n - 1]) +
                  ": on " + std::to_string(lamp.ons) + " times, shortest on " +
                  Milliseconds(lamp.shortestOn) + ", shortest off " +
                  Milliseconds(lamp.shortestOff) + ", " + share + "\n";
    }
    if (health_) report += HealthLine(*health_);
    return report;
}

}  // namespace zorvane
