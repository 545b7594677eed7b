#include "Options.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "ProgramOptions.h"

namespace zorvane::sim {

namespace {

constexpr double kMaxRate = 1'000'000.0;                   // frames per second
constexpr std::uint64_t kMaxSilencePeriodMs = 86'400'000;  // a day
constexpr unsigned kMaxPacketMs = 1000;
constexpr std::string_view kFixedPrefix = "fixed:";

// The short codes only tell the options apart; -h is the one a user types.
const option kLongOptions[] = {
    {"link", required_argument, nullptr, 'l'},      {"stdout", no_argument, nullptr, 's'},
    {"device", required_argument, nullptr, 'd'},    {"rate", required_argument, nullptr, 'r'},
    {"unpaced", no_argument, nullptr, 'u'},         {"pattern", required_argument, nullptr, 'p'},
    {"corrupt", required_argument, nullptr, 'c'},   {"fault", required_argument, nullptr, 'F'},
    {"replay", required_argument, nullptr, 'R'},    {"loop", no_argument, nullptr, 'L'},
    {"frames", required_argument, nullptr, 'n'},    {"silence", required_argument, nullptr, 'q'},
    {"packet-ms", required_argument, nullptr, 'P'}, {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},         {nullptr, 0, nullptr, 0}};

template <typename Number>
bool ParseNumber(std::string_view text, Number& out) {
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && stop == end;
}

std::optional<Pattern> ParsePattern(std::string_view text) {
    if (text == "walk") return Pattern{PatternKind::Walk, {}};
    if (text == "count") return Pattern{PatternKind::Count, {}};
    if (text == "random") return Pattern{PatternKind::Random, {}};
    if (!text.starts_with(kFixedPrefix)) return std::nullopt;
    text.remove_prefix(kFixedPrefix.size());
    Pattern fixed{PatternKind::Fixed, {}};
    if (text.size() != 2 * fixed.fixed.data.size()) return std::nullopt;
    for (std::size_t i = 0; i < fixed.fixed.data.size(); ++i) {
        const char* digits = text.data() + 2 * i;
        const auto [stop, ec] = std::from_chars(digits, digits + 2, fixed.fixed.data[i], 16);
        if (ec != std::errc() || stop != digits + 2) return std::nullopt;
    }
    return fixed;
}

std::optional<Silence> ParseSilence(std::string_view text) {
    const auto slash = text.find('/');
    std::uint64_t quiet = 0;
    std::uint64_t period = 0;
    if (slash == std::string_view::npos || !ParseNumber(text.substr(0, slash), quiet) ||
        !ParseNumber(text.substr(slash + 1), period) || quiet == 0 || quiet >= period ||
        period > kMaxSilencePeriodMs)
        return std::nullopt;
    return Silence{std::chrono::milliseconds(quiet), std::chrono::milliseconds(period)};
}

// "KIND:P" into the fault of that kind.
bool ParseFault(std::string_view text, Faults& faults) {
    const auto colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    double* rate = kind == "check1"   ? &faults.check1
                   : kind == "check2" ? &faults.check2
                   : kind == "no-aa"  ? &faults.noAa
                   : kind == "drop"   ? &faults.drop
                   : kind == "noise"  ? &faults.noise
                                      : nullptr;
    return rate && colon != std::string_view::npos && ParseNumber(text.substr(colon + 1), *rate) &&
           *rate >= 0 && *rate <= 1;
}

// Takes the value of option `code` into `o`; false when the value does not fit.
bool Apply(int code, std::string_view value, Options& o) {
    switch (code) {
        case 'l':
            o.link = value;
            return !value.empty();
        case 's':
            o.toStdout = true;
            return true;
        case 'd':
            o.device = value;
            return !value.empty();
        case 'r':
            o.rate = 0.0;
            return ParseNumber(value, *o.rate) && *o.rate > 0 && *o.rate <= kMaxRate;
        case 'u':
            o.unpaced = true;
            return true;
        case 'p':
            o.pattern = ParsePattern(value);
            return o.pattern.has_value();
        case 'c':
            return ParseNumber(value, o.corrupt) && o.corrupt >= 0 && o.corrupt <= 1;
        case 'F':
            return ParseFault(value, o.faults);
        case 'R':
            o.replay = value;
            return !value.empty();
        case 'L':
            o.loop = true;
            return true;
        case 'n':
            return ParseNumber(value, o.frames) && o.frames > 0;
        case 'q':
            o.silence = ParseSilence(value);
            return o.silence.has_value();
        case 'P': {
            unsigned ms = 0;
            if (!ParseNumber(value, ms) || ms == 0 || ms > kMaxPacketMs) return false;
            o.packet = std::chrono::milliseconds(ms);
            return true;
        }
    }
    return false;
}

// What option `code` takes, for the message about a value it refused.
const char* ValidValues(int code) {
    switch (code) {
        case 'r':
            return "frames per second, more than 0 and at most 1000000";
        case 'p':
            return "walk, count, random or fixed: and 16 hex digits";
        case 'c':
            return "a probability from 0 to 1";
        case 'F':
            return "check1, check2, no-aa, drop or noise, a colon and a probability from 0 to 1";
        case 'n':
            return "a whole number from 1 up";
        case 'q':
            return "MS/EVERY_MS, whole milliseconds with 0 < MS < EVERY_MS <= 86400000";
        case 'P':
            return "whole milliseconds from 1 to 1000";
    }
    return "a path, not empty";  // --link, --device, --replay
}

// Options that do not go together; empty when they do. `linkGiven`: --link was.
std::string CheckCombination(const Options& o, bool linkGiven) {
    if (o.toStdout && !o.device.empty()) return "--stdout and --device exclude each other";
    if (linkGiven && (o.toStdout || !o.device.empty()))
        return "--link names the pseudo-terminal's link: not with --stdout or --device";
    if (o.rate && o.unpaced) return "--rate and --unpaced exclude each other";
    if (o.packet.count() > 0 && o.unpaced) return "--packet-ms and --unpaced exclude each other";
    if (o.loop && o.replay.empty()) return "--loop needs --replay FILE";
    if (!o.replay.empty() && (o.pattern || o.corrupt > 0 || o.faults.Any()))
        return "--replay sends the file as it is: no --pattern, --corrupt or --fault";
    return {};
}

const char* LongName(int code) {
    for (const option& o : kLongOptions)
        if (o.val == code) return o.name;
    return "";
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, Options& options) {
    const Program program{"zorvane-sim", UsageText()};
    bool linkGiven = false;
    const auto take = [&options, &linkGiven](int code, const char* value) -> std::string {
        linkGiven = linkGiven || code == 'l';
        if (Apply(code, value ? value : "", options)) return {};
        return "--" + std::string(LongName(code)) + ": \"" + (value ? value : "") +
               "\" is not valid (" + ValidValues(code) + ")";
    };
    const ReadOptionsResult read = ReadOptions(program, argc, argv, "h", kLongOptions, take);
    if (read.exit) return read.exit;
    if (read.firstOperand < argc)
        return UsageError(program,
                          "unexpected argument '" + std::string(argv[read.firstOperand]) + "'");
    if (const std::string problem = CheckCombination(options, linkGiven); !problem.empty())
        return UsageError(program, problem);
    return std::nullopt;
}

const char* UsageText() {
    return R"(Usage: zorvane-sim [OPTION]...
Simulated Vorlan: sends frames AA D0..D4 C1 AA E0 E1 E2 C2 the way the transmitter does.

Where the bytes go (default: a new pseudo-terminal, linked as ./COM1):
  --link PATH        name of the link to the pseudo-terminal (default ./COM1);
                     an existing link is replaced, any other file is left alone;
                     not with --stdout or --device
  --stdout           write the bytes to standard output
  --device PATH      write to an existing serial device, set to 57600 8O1 raw
Pace (default: the line rate, 57600 baud at 11 bits a byte: one 12-byte frame every
2.29 ms, 436.4 frames/s, on a schedule that does not drift; slots missed while the
process was held up are skipped, not sent in a burst):
  --rate FPS         frames per second instead (up to 1000000, decimals allowed)
  --unpaced          as fast as the output takes the bytes
  --packet-ms MS     hand the bytes over in bursts every MS milliseconds (1..1000), as a
                     USB serial adapter does with its latency timer set to MS (16 is a
                     common default): the frames keep their times on the line, and all
                     that came in during a burst's MS go out together in one write
What is sent:
  --pattern NAME     walk     one lamp lit, moving through lamps 1..64, ~100 ms each
                              (default)
                     count    a frame counter over D0..D4 E0..E2, D0 the lowest byte
                     random   new random data bytes every frame
                     fixed:HEX16  always the same data: 16 hex digits, D0..D4 E0..E2
  --corrupt P        with probability P (0..1) damage one byte of a frame
  --fault KIND:P     with probability P (0..1) give a frame a fault the receiver sees;
                     once for each KIND:
                       check1  a wrong check byte in the PLC block
                       check2  a wrong check byte in the RT7720 block
                       no-aa   one of its two AA bytes missing
                       drop    one of its bytes missing
                       noise   1 to 4 bytes of noise (never AA) after it
  --replay FILE      send the file's bytes instead, 12 per frame slot, once
  --loop             with --replay: start the file over at its end
When:
  --frames N         stop after N frames (default: until Ctrl-C, SIGTERM or SIGHUP)
  --silence MS/EVERY_MS
                     send nothing for the last MS milliseconds of every EVERY_MS
  -h, --help         this text
  --version          the version

Options may be shortened while they stay unambiguous, and take the form --name=VALUE.
Messages go to standard error.
Exit status: 0 finished or stopped, 1 run-time failure, 2 bad arguments.
)";
}

}  // namespace zorvane::sim
