#include "SimOptions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace zorvane::sim {

namespace {

constexpr double kMaxRate = 1'000'000.0;  // frames per second

bool ParseUnsigned(const std::string& text, std::uint64_t& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool ParseReal(const std::string& text, double& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::array<std::uint8_t, 8>> ParseHex16(const std::string& text) {
    if (text.size() != 16) return std::nullopt;
    std::array<std::uint8_t, 8> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int hi = HexDigit(text[2 * i]);
        const int lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

std::optional<SilenceSpec> ParseSilence(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    SilenceSpec s;
    if (!ParseUnsigned(text.substr(0, slash), s.quietMs) ||
        !ParseUnsigned(text.substr(slash + 1), s.everyMs))
        return std::nullopt;
    if (s.quietMs == 0 || s.quietMs >= s.everyMs) return std::nullopt;
    return s;
}

// Which options were given, for the checks that span several of them.
struct Seen {
    bool toStdout = false;
    bool toDevice = false;
    bool link = false;
    bool pattern = false;
};

using Handler = std::function<bool(const std::string& value, SimOptions& o, Seen& seen)>;

struct OptionRule {
    const char* name;
    bool takesValue;
    const char* expects;  // completes "NAME expects ..."
    Handler apply;
};

const std::vector<OptionRule>& Rules() {
    static const std::vector<OptionRule> rules = {
        {"--stdout", false, "",
         [](auto&, SimOptions& o, Seen& s) {
             o.output = OutputKind::Stdout;
             s.toStdout = true;
             return true;
         }},
        {"--device", true, "a path",
         [](const std::string& v, SimOptions& o, Seen& s) {
             o.output = OutputKind::Device;
             s.toDevice = true;
             o.device = v;
             return !v.empty();
         }},
        {"--link", true, "a path",
         [](const std::string& v, SimOptions& o, Seen& s) {
             o.link = v;
             s.link = true;
             return !v.empty();
         }},
        {"--frames", true, "a whole number of at least 1",
         [](const std::string& v, SimOptions& o, Seen&) {
             return ParseUnsigned(v, o.frames) && o.frames > 0;
         }},
        {"--rate", true, "frames per second, more than 0 and at most 1000000",
         [](const std::string& v, SimOptions& o, Seen&) {
             double fps = 0;
             if (!ParseReal(v, fps) || fps > kMaxRate) return false;
             const auto milli = static_cast<std::uint64_t>(std::llround(fps * 1000.0));
             if (fps <= 0 || milli == 0) return false;
             o.rateMilliFps = milli;
             return true;
         }},
        {"--unpaced", false, "",
         [](auto&, SimOptions& o, Seen&) {
             o.unpaced = true;
             return true;
         }},
        {"--pattern", true, "walk, count, random or fixed:HEX16 (16 hex digits)",
         [](const std::string& v, SimOptions& o, Seen& s) {
             const auto p = ParsePattern(v);
             if (!p) return false;
             o.pattern = *p;
             s.pattern = true;
             return true;
         }},
        {"--silence", true, "MS/EVERY_MS with 0 < MS < EVERY_MS",
         [](const std::string& v, SimOptions& o, Seen&) {
             o.silence = ParseSilence(v);
             return o.silence.has_value();
         }},
        {"--plc-silent", false, "",
         [](auto&, SimOptions& o, Seen&) {
             o.plcSilent = true;
             return true;
         }},
        {"--corrupt", true, "a probability from 0 to 1",
         [](const std::string& v, SimOptions& o, Seen&) {
             return ParseReal(v, o.corrupt) && o.corrupt >= 0.0 && o.corrupt <= 1.0;
         }},
        {"--seed", true, "a whole number",
         [](const std::string& v, SimOptions& o, Seen&) { return ParseUnsigned(v, o.seed); }},
        {"--replay", true, "a file",
         [](const std::string& v, SimOptions& o, Seen&) {
             o.replay = v;
             return !v.empty();
         }},
        {"--loop", false, "",
         [](auto&, SimOptions& o, Seen&) {
             o.loop = true;
             return true;
         }},
    };
    return rules;
}

const OptionRule* FindRule(const std::string& name) {
    for (const auto& rule : Rules())
        if (name == rule.name) return &rule;
    return nullptr;
}

// Combinations that make no sense; empty when the options fit together.
std::string CheckCombination(const SimOptions& o, const Seen& seen) {
    if (seen.toStdout && seen.toDevice) return "--stdout and --device exclude each other";
    if ((seen.toStdout || seen.toDevice) && seen.link)
        return "--link only applies to the pseudo-terminal; drop --stdout/--device";
    if (o.unpaced && o.rateMilliFps) return "--rate and --unpaced exclude each other";
    if (o.loop && o.replay.empty()) return "--loop needs --replay FILE";
    if (!o.replay.empty()) {
        if (seen.pattern || o.plcSilent || o.corrupt > 0 || o.frames > 0)
            return "--replay sends the file as it is: it takes no --pattern, --plc-silent, "
                   "--corrupt or --frames";
    }
    return {};
}

}  // namespace

std::optional<PatternSpec> ParsePattern(const std::string& text) {
    if (text == "walk") return PatternSpec{PatternKind::Walk, {}};
    if (text == "count") return PatternSpec{PatternKind::Count, {}};
    if (text == "random") return PatternSpec{PatternKind::Random, {}};
    const std::string prefix = "fixed:";
    if (text.rfind(prefix, 0) != 0) return std::nullopt;
    const auto bytes = ParseHex16(text.substr(prefix.size()));
    if (!bytes) return std::nullopt;
    return PatternSpec{PatternKind::Fixed, *bytes};
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& out, std::string& error) {
    SimOptions o;
    Seen seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            out = SimOptions{};
            out.help = true;
            return true;
        }
        const OptionRule* rule = FindRule(name);
        if (!rule) {
            error =
                name.rfind("-", 0) == 0 ? "unknown option " + name : "unexpected argument " + name;
            return false;
        }
        if (!rule->takesValue && value) {
            error = name + " takes no value";
            return false;
        }
        if (rule->takesValue && !value) {
            if (i + 1 >= args.size()) {
                error = name + " expects " + rule->expects;
                return false;
            }
            value = args[++i];
        }
        if (!rule->apply(value.value_or(""), o, seen)) {
            error = name + " expects " + rule->expects + ", not \"" + *value + "\"";
            return false;
        }
    }
    error = CheckCombination(o, seen);
    if (!error.empty()) return false;
    out = o;
    return true;
}

std::string UsageText() {
    return R"(Usage: zorvane-sim [OPTIONS]
Simulated Vorlan: sends frames AA D0..D4 C1 AA E0 E1 E2 C2 the way the transmitter does.

Where the bytes go (default: a new pseudo-terminal, linked as ./COM1):
  --link PATH        name of the link to the pseudo-terminal (default ./COM1);
                     an existing link is replaced, any other file is left alone
  --stdout           write the bytes to standard output
  --device PATH      write to an existing serial device, set to 57600 8O1 raw
Pace (default: the line rate, 57600 baud at 11 bits a byte = 5236 bytes/s,
one 12-byte frame every 2.2917 ms, 436.4 frames/s, on a schedule that does not drift):
  --rate FPS         frames per second instead (up to 1000000, decimals allowed)
  --unpaced          as fast as the output takes the bytes
What is sent:
  --pattern NAME     walk     one lamp lit, moving through lamps 1..64, ~100 ms each
                              (default)
                     count    a 64-bit counter over D0..D4 E0..E2, D0 the lowest byte
                     random   random data bytes, repeatable with --seed
                     fixed:HEX16  always the same data: 16 hex digits, D0..D4 E0..E2
  --plc-silent       send only the second blocks (AA E0 E1 E2 C2)
  --corrupt P        with probability P (0..1) damage one random byte of a frame
  --seed N           seed for random and --corrupt (default 1)
  --replay FILE      send the file's bytes instead, 12 per frame slot, once
  --loop             with --replay: start the file over at its end
When:
  --frames N         stop after N frames (default: run until Ctrl-C or SIGTERM)
  --silence MS/EVERY_MS
                     send nothing for the last MS milliseconds of every EVERY_MS
  --help             this text

Options also take the form --name=VALUE. Messages go to standard error.
Exit status: 0 finished or stopped, 1 run-time failure, 2 bad arguments.
)";
}

}  // namespace zorvane::sim
