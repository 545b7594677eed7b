#include "LogLine.h"

#include <charconv>
#include <limits>

#include "LineTiming.h"
#include "LocalTime.h"
#include "TextAppend.h"

namespace zorvane {

namespace {

constexpr std::string_view kStart = "record-start";
constexpr std::string_view kGap = "record-gap";
constexpr std::string_view kEnd = "record-end";
constexpr std::string_view kHealth = "line-health";

void AppendQuoted(std::string_view key, std::string_view value, std::string& out) {
    out += ' ';
    out += key;
    out += "=\"";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') out += '\\';
        if (byte >= 0x20) {
            out += c;
            continue;
        }
        out += "\\x";
        AppendHex(byte, out);
    }
    out += '"';
}

std::optional<std::uint8_t> HexByte(std::string_view text) {
    std::uint8_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 2 || error != std::errc() || end != text.data() + 2) return std::nullopt;
    return value;
}

// "D0 D1 D2 D3 D4 E0 E1 E2", then the end or a space.
std::optional<Frame> ParseData(std::string_view rest) {
    Frame frame;
    for (std::size_t i = 0; i < frame.data.size(); ++i) {
        const std::size_t after = 3 * i + 2;
        if (rest.size() < after) return std::nullopt;
        const auto byte = HexByte(rest.substr(after - 2, 2));
        if (!byte || (rest.size() > after && rest[after] != ' ')) return std::nullopt;
        frame.data[i] = *byte;
    }
    return frame;
}

LogLineRead ParseWhen(std::string_view when, LogLine& line) {
    line.when = when;
    const auto [end, error] = std::from_chars(when.data(), when.data() + when.size(), line.offset);
    // The time of a byte (ByteTime) must fit too.
    constexpr std::uint64_t kLongestOffset =
        std::numeric_limits<std::uint64_t>::max() / (kBitsPerCharacter * 1'000'000);
    if (error == std::errc::result_out_of_range ||
        (error == std::errc() && line.offset > kLongestOffset))
        return LogLineRead::FarTime;
    if (!when.empty() && error == std::errc() && end == when.data() + when.size())
        return LogLineRead::Read;
    line.wall = ParseLocalTime(when);
    if (line.wall) return LogLineRead::Read;
    return IsFarLocalTime(when) ? LogLineRead::FarTime : LogLineRead::Broken;
}

// "\"...\"" as AppendQuoted writes it, taken off the front of `text`.
std::optional<std::string> TakeQuoted(std::string_view& text) {
    if (!text.starts_with('"')) return std::nullopt;
    std::string value;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return value;
        }
        if (c != '\\' || i + 1 == text.size()) {
            value += c;
            continue;
        }
        const char escaped = text[++i];
        const auto byte = escaped == 'x' ? HexByte(text.substr(i + 1, 2)) : std::nullopt;
        if (escaped == 'x' && !byte) return std::nullopt;
        value += byte ? char(*byte) : escaped;
        if (byte) i += 2;
    }
    return std::nullopt;  // no closing quote: cut off
}

// ` key="value"`... after record-start; keys a later version adds are passed over.
bool ParseRun(std::string_view rest, RunInfo& run) {
    while (!rest.empty()) {
        const std::size_t equals = rest.find('=');
        if (!rest.starts_with(' ') || equals == std::string_view::npos) return false;
        const std::string_view key = rest.substr(1, equals - 1);
        rest.remove_prefix(equals + 1);
        auto value = TakeQuoted(rest);
        if (!value) return false;
        if (key == "port") run.port = std::move(*value);
        if (key == "device") run.device = std::move(*value);
        if (key == "names") run.names = std::move(*value);
    }
    return true;
}

// Lowercase words joined by hyphens, as every kind of line but a frame's is named.
bool IsKindWord(std::string_view word) {
    bool hyphen = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        const bool letter = c >= 'a' && c <= 'z';
        const bool joint = c == '-' && i > 0 && i + 1 < word.size() && word[i - 1] != '-';
        if (!letter && !joint) return false;
        hyphen = hyphen || joint;
    }
    return hyphen;
}

// The counts of a line-health line, in the order written, each "key=N" (or "key=n/a" for the
// driver's).
struct HealthField {
    std::string_view key;
    std::uint64_t LineHealth::*count;
    std::uint64_t DriverErrors::*driver;
};
constexpr HealthField kHealthFields[] = {
    {"frames", &LineHealth::frames, nullptr},
    {"checksum", &LineHealth::checksumErrors, nullptr},
    {"skipped", &LineHealth::skippedBytes, nullptr},
    {"parity", nullptr, &DriverErrors::parity},
    {"framing", nullptr, &DriverErrors::framing},
    {"overrun", nullptr, &DriverErrors::overrun},
    {"buffer-overrun", nullptr, &DriverErrors::bufferOverrun},
    {"breaks", nullptr, &DriverErrors::breaks},
};

bool ParseHealth(std::string_view fields, LineHealth& health) {
    DriverErrors driver;
    bool known = false;
    bool unknown = false;
    for (const HealthField& field : kHealthFields) {
        if (!fields.starts_with(' ') || fields.substr(1, field.key.size()) != field.key ||
            fields.substr(field.key.size() + 1, 1) != "=")
            return false;
        fields.remove_prefix(field.key.size() + 2);
        const std::string_view value = fields.substr(0, fields.find(' '));
        fields.remove_prefix(value.size());
        std::uint64_t n = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
        const bool number = !value.empty() && error == std::errc() && end == value.end();
        if (field.driver && value == "n/a") {
            unknown = true;
            continue;
        }
        if (!number) return false;
        if (field.count) health.*field.count = n;
        if (field.driver) {
            driver.*field.driver = n;
            known = true;
        }
    }
    if (known && unknown) return false;  // all or none: a port tells them together
    if (known) health.driver = driver;
    return fields.empty();
}

bool ParseWhat(std::string_view what, LogLine& line) {
    using Kind = LogLine::Kind;
    if (const auto frame = ParseData(what)) {
        line.kind = Kind::Frame;
        line.frame = *frame;
        return true;
    }
    for (const auto event : {ChangeLog::Event::LinkDown, ChangeLog::Event::LinkUp,
                             ChangeLog::Event::PortLost, ChangeLog::Event::PortBack}) {
        if (what != ChangeLog::EventName(event)) continue;
        line.kind = Kind::Event;
        line.event = event;
        return true;
    }
    const std::string_view word = what.substr(0, what.find(' '));
    if (word == kStart) {
        line.kind = Kind::RecordStart;
        return ParseRun(what.substr(word.size()), line.run);
    }
    if (word == kHealth) {
        line.kind = Kind::Health;
        return ParseHealth(what.substr(word.size()), line.health);
    }
    line.kind = word == kGap ? Kind::RecordGap : word == kEnd ? Kind::RecordEnd : Kind::Other;
    return IsKindWord(word);
}

}  // namespace

std::size_t NextLineInside(std::string_view text) {
    constexpr std::size_t kTime = 29;  // LocalTime's length
    for (std::size_t at = 1; at + kTime < text.size(); ++at) {
        if (text[at + 10] != 'T' || text[at + kTime] != ' ' || text[at - 1] == '=') continue;
        const std::string_view time = text.substr(at, kTime);
        if (ParseLocalTime(time) || IsFarLocalTime(time)) return at;
    }
    return std::string_view::npos;
}

void AppendRecordStart(std::string_view when, const RunInfo& run, std::string& out) {
    out += when;
    out += ' ';
    out += kStart;
    AppendQuoted("port", run.port, out);
    AppendQuoted("device", run.device, out);
    AppendQuoted("names", run.names, out);
    out += '\n';
}

void AppendRecordGap(std::string_view from, std::string_view until, std::uint64_t lost,
                     std::string& out) {
    out += from;
    out += ' ';
    out += kGap;
    out += " until=";
    out += until;
    out += " lost=";
    AppendDecimal(lost, out);
    out += '\n';
}

void AppendRecordEnd(std::string_view when, std::string& out) {
    out += when;
    out += ' ';
    out += kEnd;
    out += '\n';
}

void AppendLineHealth(std::string_view when, const LineHealth& health, std::string& out) {
    out += when;
    out += ' ';
    out += kHealth;
    for (const HealthField& field : kHealthFields) {
        out += ' ';
        out += field.key;
        out += '=';
        if (field.count) AppendDecimal(health.*field.count, out);
        if (field.driver && health.driver) AppendDecimal((*health.driver).*field.driver, out);
        if (field.driver && !health.driver) out += "n/a";
    }
    out += '\n';
}

LogLineRead ParseLogLine(std::string_view text, LogLine& line) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) return LogLineRead::Broken;
    line = {};
    if (const LogLineRead when = ParseWhen(text.substr(0, space), line); when != LogLineRead::Read)
        return when;
    if (!ParseWhat(text.substr(space + 1), line) ||
        (line.wall && NextLineInside(text) != std::string_view::npos))
        return LogLineRead::Broken;
    return LogLineRead::Read;
}

}  // namespace zorvane
