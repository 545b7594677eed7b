#include "GtkwaveSave.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "SignalName.h"
#include "VcdWriter.h"

namespace zorvane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMark = "[*] zorvane-decode";

// GTKWave's display flags: 0x28 a one-bit trace shown as binary, 0x200 a comment line.
constexpr const char* kBits = "@28\n";
constexpr const char* kComment = "@200\n";
constexpr int kPlcLamps = static_cast<int>(kPlcBytes) * 8;

// GTKWave's zoom that fits `end` microseconds into the window of [size] 1200 900 with
// [signals_width] 220, as its own "Zoom Best Fit" sets it there (GTKWave 3.3).
double ZoomToFit(Micros end) {
    return std::log2(3.38 / static_cast<double>(std::max<Micros>(end, 1)));
}

std::string Contents(const fs::path& dump, const LampCaptions& captions,
                     std::optional<Micros> end) {
    std::string out = std::string(kMark) + ": the lamps, link and port of " +
                      dump.filename().string() + "\n[dumpfile] \"" + dump.string() +
                      "\"\n[timestart] 0\n[size] 1200 900\n[signals_width] 220\n";
    if (end) out += "*" + std::to_string(ZoomToFit(*end)) + " -1\n";
    out += kBits;
    const std::string scope = std::string(kVcdScope) + ".";
    out += scope + "link\n" + scope + "port\n";
    for (int lamp = 1; lamp <= kLampCount; ++lamp) {
        if (lamp == 1 || lamp == kPlcLamps + 1)
            out += std::string(kComment) + (lamp == 1 ? "-PLC\n" : "-RT7720\n") + kBits;
        out += scope + SignalName(lamp, captions[lamp - 1]) + "\n";
    }
    return out;
}

}  // namespace

std::string WriteGtkwaveSave(const std::string& dumpPath, const LampCaptions& captions,
                             std::optional<Micros> end) {
    std::error_code ec;  // without an absolute path, the dump's name as given
    fs::path dump = fs::absolute(dumpPath, ec);
    if (ec) dump = dumpPath;
    fs::path save = dump;
    save.replace_extension(".gtkw");
    std::string first;
    if (std::ifstream old(save); std::getline(old, first) && !first.starts_with(kMark))
        return "leaving " + save.string() + " as it is: zorvane-decode did not write it";
    std::ofstream out(save, std::ios::trunc);
    if (out << Contents(dump, captions, end) << std::flush) return {};
    return "cannot write " + save.string() + ": " + std::strerror(errno);
}

}  // namespace zorvane
