#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvane::sim {

enum class OutputKind { Pty, Stdout, Device };
enum class PatternKind { Walk, Count, Random, Fixed };

struct PatternSpec {
    PatternKind kind = PatternKind::Walk;
    std::array<std::uint8_t, 8> fixed{};  // D0..D4 E0..E2, for PatternKind::Fixed
    bool operator==(const PatternSpec&) const = default;
};

// Nothing is sent during the last quietMs of every everyMs.
struct SilenceSpec {
    std::uint64_t quietMs = 0;
    std::uint64_t everyMs = 0;
    bool operator==(const SilenceSpec&) const = default;
};

struct SimOptions {
    OutputKind output = OutputKind::Pty;
    std::string link = "./COM1";
    std::string device;
    bool unpaced = false;
    std::optional<std::uint64_t> rateMilliFps;  // --rate, in frames per 1000 s
    PatternSpec pattern;
    bool plcSilent = false;
    double corrupt = 0.0;
    std::uint64_t seed = 1;
    std::string replay;
    bool loop = false;
    std::uint64_t frames = 0;  // 0: until stopped
    std::optional<SilenceSpec> silence;
    bool help = false;
};

// Parses the arguments after the program name. On failure returns false and sets `error`
// to one line that names the offending argument.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& out, std::string& error);

// "walk", "count", "random" or "fixed:" followed by 16 hex digits.
std::optional<PatternSpec> ParsePattern(const std::string& text);

std::string UsageText();

}  // namespace zorvane::sim
