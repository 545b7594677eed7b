#include "LampStats.h"

#include <algorithm>
#include <cstdio>

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
    const bool first = !first_;
    if (first) first_ = at;
    end_ = at;
    for (int n = 1; n <= kLampCount; ++n) {
        Lamp& lamp = lamps_[n - 1];
        const bool on = frame.Lamp(n);
        if (first) {
            lamp.on = on;
            lamp.since = at;
        }
        if (on == lamp.on) continue;
        const Micros span = at - lamp.since;
        // The first state's span began before anyone looked: it says nothing about its length.
        if (lamp.changed) KeepShortest(lamp.on ? lamp.shortestOn : lamp.shortestOff, span);
        if (lamp.on) lamp.timeOn += span;
        if (on) ++lamp.ons;
        lamp.on = on;
        lamp.changed = true;
        lamp.since = at;
    }
}

void LampStats::End(Micros at, std::string& /*out*/) {
    end_ = std::max(end_, at);
}

std::string LampStats::Report() const {
    std::string report;
    const Micros whole = first_ ? end_ - *first_ : 0;
    for (int n = 1; n <= kLampCount; ++n) {
        const Lamp& lamp = lamps_[n - 1];
        if (!lamp.changed) continue;
        const Micros timeOn = lamp.timeOn + (lamp.on ? end_ - lamp.since : 0);
        char share[64];
        std::snprintf(share, sizeof share, "on %.1f %% of %.3f s",
                      whole ? 100.0 * double(timeOn) / double(whole) : 0.0, double(whole) / 1e6);
        report += std::to_string(n) + (captions_[n - 1].empty() ? "" : " " + captions_[n - 1]) +
                  ": on " + std::to_string(lamp.ons) + " times, shortest on " +
                  Milliseconds(lamp.shortestOn) + ", shortest off " +
                  Milliseconds(lamp.shortestOff) + ", " + share + "\n";
    }
    return report;
}

}  // namespace zorvane
