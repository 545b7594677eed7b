#include "LogLine.h"

#include <charconv>

#include "LocalTime.h"
#include "TextAppend.h"

namespace zorvane {

namespace {

constexpr std::string_view kStart = "record-start";
constexpr std::string_view kGap = "record-gap";
constexpr std::string_view kEnd = "record-end";

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

bool ParseWhen(std::string_view when, LogLine& line) {
    line.when = when;
    const auto [end, error] = std::from_chars(when.data(), when.data() + when.size(), line.offset);
    if (!when.empty() && error == std::errc() && end == when.data() + when.size()) return true;
    line.wall = ParseLocalTime(when);
    return line.wall.has_value();
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
    if (word == kStart) line.kind = Kind::RecordStart;
    if (word == kGap) line.kind = Kind::RecordGap;
    if (word == kEnd) line.kind = Kind::RecordEnd;
    return word == kStart || word == kGap || word == kEnd;
}

}  // namespace

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

std::optional<LogLine> ParseLogLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    LogLine line;
    if (!ParseWhen(text.substr(0, space), line) || !ParseWhat(text.substr(space + 1), line))
        return std::nullopt;
    return line;
}

}  // namespace zorvane
