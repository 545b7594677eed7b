#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Frame.h"
#include "LineHealth.h"
#include "NamesScan.h"

namespace zorvane {

// What the line shows now: the state topic's content.
struct LineState {
    std::optional<Frame> frame;  // none before the first
    bool linkUp = false;
    bool portOpen = true;
    std::string time;  // of the last change, as --changes writes it
};

// One line of JSON each, for the broker. Names are UTF-8; "bytes" is D0..E2 as 16 hex digits.

// {"time":T,"bytes":"..."|null,"link":"up"|"down","port":"open"|"lost","lamps":[{"lamp":1,
// "name":"...","on":false},...all 64]}
std::string StateJson(const LineState& state, const LampCaptions& captions);

// A --changes data line: {"time":T,"event":"change","bytes":"...","lamps":[...the lamps that
// changed since `before`, or that are on when there is none]}
std::string ChangeJson(std::string_view time, const std::optional<Frame>& before, const Frame& now,
                       const LampCaptions& captions);

// {"time":T,"event":"link-down"}, and with a count {"time":T,"event":"dropped","count":N}.
std::string EventJson(std::string_view time, std::string_view event,
                      std::optional<std::uint64_t> count = std::nullopt);

// {"frames":F,"checksum_errors":C,"skipped_bytes":S,"parity":P,"framing":M,"overrun":O,
// "buffer_overrun":B,"breaks":K}; the driver's counts null where the port cannot tell.
std::string HealthJson(const LineHealth& health);

}  // namespace zorvane
