#include "LineJson.h"

#include <utility>

#include "TextAppend.h"

namespace zorvane {

namespace {

// A JSON string: quotes, backslashes and control characters escaped; UTF-8 passes as it is.
void AppendString(std::string_view text, std::string& out) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00";
            AppendHex(static_cast<std::uint8_t>(c), out);
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendBytes(const Frame& frame, std::string& out) {
    out += "\"bytes\":\"";
    for (const std::uint8_t b : frame.data)
        AppendHex(b, out);
    out += '"';
}

void AppendLamp(int lamp, const LampCaptions& captions, bool on, std::string& out) {
    out += "{\"lamp\":";
    AppendDecimal(std::uint64_t(lamp), out);
    out += ",\"name\":";
    AppendString(captions[lamp - 1], out);
    out += on ? ",\"on\":true}," : ",\"on\":false},";
}

void AppendTime(std::string_view time, std::string& out) {
    out += "{\"time\":";
    AppendString(time, out);
}

// Ends a list of lamps, whose last comma was one too many, and the object.
void CloseLamps(std::string& out) {
    if (out.back() == ',') out.pop_back();
    out += "]}";
}

}  // namespace

std::string StateJson(const LineState& state, const LampCaptions& captions) {
    std::string out;
    AppendTime(state.time, out);
    out += ',';
    if (state.frame)
        AppendBytes(*state.frame, out);
    else
        out += "\"bytes\":null";
    out += state.linkUp ? ",\"link\":\"up\"" : ",\"link\":\"down\"";
    out += state.portOpen ? ",\"port\":\"open\",\"lamps\":[" : ",\"port\":\"lost\",\"lamps\":[";
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        AppendLamp(lamp, captions, state.frame && state.frame->Lamp(lamp), out);
    CloseLamps(out);
    return out;
}

std::string ChangeJson(std::string_view time, const std::optional<Frame>& before, const Frame& now,
                       const LampCaptions& captions) {
    std::string out;
    AppendTime(time, out);
    out += ",\"event\":\"change\",";
    AppendBytes(now, out);
    out += ",\"lamps\":[";
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        if (now.Lamp(lamp) != (before && before->Lamp(lamp)))
            AppendLamp(lamp, captions, now.Lamp(lamp), out);
    CloseLamps(out);
    return out;
}

std::string EventJson(std::string_view time, std::string_view event,
                      std::optional<std::uint64_t> count) {
    std::string out;
    AppendTime(time, out);
    out += ",\"event\":";
    AppendString(event, out);
    if (count) {
        out += ",\"count\":";
        AppendDecimal(*count, out);
    }
    out += '}';
    return out;
}

std::string HealthJson(const LineHealth& health) {
    const std::optional<DriverErrors>& driver = health.driver;
    const std::pair<const char*, std::optional<std::uint64_t>> counts[] = {
        {"frames", health.frames},
        {"checksum_errors", health.checksumErrors},
        {"skipped_bytes", health.skippedBytes},
        {"parity", driver ? std::optional(driver->parity) : std::nullopt},
        {"framing", driver ? std::optional(driver->framing) : std::nullopt},
        {"overrun", driver ? std::optional(driver->overrun) : std::nullopt},
        {"buffer_overrun", driver ? std::optional(driver->bufferOverrun) : std::nullopt},
        {"breaks", driver ? std::optional(driver->breaks) : std::nullopt}};
    std::string out;
    for (const auto& [key, count] : counts) {
        out += out.empty() ? "{\"" : ",\"";
        out += key;
        out += "\":";
        if (count)
            AppendDecimal(*count, out);
        else
            out += "null";
    }
    return out + '}';
}

}  // namespace zorvane
