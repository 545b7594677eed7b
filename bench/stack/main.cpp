// zorvane-bench: the whole monitor under load, one line per figure on stdout; details as
// "# " lines on stderr. Figures only, no pass/fail.
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "DecodeFigure.h"
#include "Frame.h"
#include "LineSettings.h"
#include "StackBench.h"
#include "StartupFigure.h"
#include "X11Figure.h"

using namespace zorvane;
using namespace std::chrono_literals;

namespace {

// The latency timer of the most common USB serial adapters, as they come.
constexpr auto kUsbPacket = 16ms;

struct Settings {
    std::chrono::milliseconds lineRun = 30s;
    std::chrono::milliseconds maxRun = 10s;
    std::chrono::milliseconds idleRun = 10s;
    std::size_t decodeBytes = std::size_t{64} << 20;
    std::size_t decodeToolBytes = std::size_t{64} << 20;
    int startupRuns = 5;
    std::chrono::milliseconds x11Run = 20s;
    bool bytePaced = false;
    std::string only;  // one figure alone (for profiling); empty: all
    bool Wants(const char* figure) const { return only.empty() || only == figure; }
};

const char kUsage[] =
    "usage: zorvane-bench [--quick] [--byte-paced] [--only FIGURE]\n"
    "  Runs the monitor (pseudo-terminal port, reader thread, hand-off, main window offscreen)\n"
    "  against a sender thread and prints line-rate, line-rate-usb (frames handed over every\n"
    "  16 ms, as a USB adapter does), max-rate, handoff, decode, idle-cpu and startup figures;\n"
    "  zorvane-decode itself on 64 MiB captures (decode-tool: random frames, every one printed;\n"
    "  decode-tool-changes: the walk with --changes; MB/s of its CPU time); then the real\n"
    "  program on Xvfb fed by zorvane-sim at the line rate (x11-line-rate-worst,\n"
    "  x11-line-rate-typical, switches-per-frame) and through a 16 ms adapter\n"
    "  (x11-usb-line-rate, switches-per-frame-usb, x11-usb-line-rate-worst); beside the worst\n"
    "  case and the adapter's walk, zorvane-decode --device alone on the same line with no\n"
    "  screen (decode-alone, decode-alone-usb: half a run before the monitor's, half after)\n"
    "  and the monitor's CPU as a multiple of it.\n"
    "  Takes about five minutes; startup and the x11 figures need Xvfb, the x11 figures also\n"
    "  xdotool.\n"
    "  --quick       short runs (3 s at line rate and on X, 2 s unpaced, 2 s idle, 16 MiB\n"
    "                captures): a smoke run\n"
    "  --byte-paced  at line rate, send byte by byte (one every 191 us) instead of whole frames\n"
    "  --only FIGURE one figure alone (handoff comes with line-rate, switches-per-frame with\n"
    "                its own run of the typical pattern, switches-per-frame-usb likewise;\n"
    "                decode-alone comes with x11-line-rate-worst, decode-alone-usb with\n"
    "                x11-usb-line-rate)\n";

enum class Parsed { Run, Help, Error };

bool KnownFigure(const std::string& name) {
    for (const char* f :
         {"line-rate", "line-rate-usb", "max-rate", "idle-cpu", "decode", "decode-tool",
          "decode-tool-changes", "startup", "x11-line-rate-worst", "x11-line-rate-typical",
          "switches-per-frame", "x11-usb-line-rate", "switches-per-frame-usb",
          "x11-usb-line-rate-worst", "decode-alone", "decode-alone-usb"})
        if (name == f) return true;
    return false;
}

Parsed ParseArgs(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            s.lineRun = 3s;
            s.maxRun = 2s;
            s.idleRun = 2s;
            s.startupRuns = 2;
            s.x11Run = 3s;
            s.decodeToolBytes = std::size_t{16} << 20;
        } else if (arg == "--byte-paced") {
            s.bytePaced = true;
        } else if (arg == "--only" && i + 1 < argc && KnownFigure(argv[i + 1])) {
            s.only = argv[++i];
        } else {
            return arg == "--help" ? Parsed::Help : Parsed::Error;
        }
    }
    return Parsed::Run;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

// A figure line on stdout, at once (a long run shows its figures as they come).
__attribute__((format(printf, 1, 2))) void Figure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

// A detail line ("# ...") on stderr.
__attribute__((format(printf, 1, 2))) void Detail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

void Details(const char* what, const bench::StreamResult& r) {
    Detail(
        "# %s: %.0f frames/s over %.2f s, bad=%llu, monitor cpu=%.1f%% (ui %.1f%%, reader "
        "%.1f%%), sender cpu=%.1f%%, ShowFrame mean %.1f us, sender worst lag %.2f ms, "
        "handoff median %.1f us p99 %.1f us\n",
        what, r.FramesPerSecond(), std::chrono::duration<double>(r.wall).count(),
        static_cast<unsigned long long>(r.bad), r.monitorCpuPercent, r.uiCpuPercent,
        r.readerCpuPercent, r.senderCpuPercent, r.showFrameMicros,
        std::chrono::duration<double, std::milli>(r.worstSenderLag).count(),
        Percentile(r.handOffMicros, 0.5), Percentile(r.handOffMicros, 0.99));
}

std::string ProgramNextToUs(const char* name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// zorvane-decode itself: random frames, every one printed; and a walk, where --changes prints
// a line in 44 frames.
void DecodeToolFigures(const Settings& s) {
    const std::string tool = ProgramNextToUs("zorvane-decode");
    const struct {
        const char* figure;
        std::vector<std::string> options;
        bench::CapturePattern pattern;
    } runs[] = {{"decode-tool", {}, bench::CapturePattern::Random},
                {"decode-tool-changes",
                 {"--changes", "--names", ZORVANE_EXAMPLE_NAMES},
                 bench::CapturePattern::Walk}};
    for (const auto& run : runs) {
        if (!s.Wants(run.figure)) continue;
        const auto r = bench::MeasureDecodeTool(tool, run.options, run.pattern, s.decodeToolBytes);
        if (!r.error.empty()) {
            Figure("%s: not measured (%s)\n", run.figure, r.error.c_str());
            continue;
        }
        Figure("%s: %.0f MB/s\n", run.figure, r.megabytesPerSecond);
        Detail("# %s: %.3f s of CPU for %zu MiB\n", run.figure, r.cpuSeconds,
               s.decodeToolBytes >> 20);
    }
}

void Startup(const Settings& s) {
    const auto result =
        bench::MeasureStartup(ProgramNextToUs("zorvane"), ZORVANE_EXAMPLE_NAMES, s.startupRuns);
    std::vector<double> window;
    for (const auto& run : result.runs) {
        Detail("# startup run: main window %.1f ms, port dialog %.1f ms\n", run.windowMs,
               run.dialogMs);
        if (run.windowMs >= 0) window.push_back(run.windowMs);
    }
    if (window.empty()) {
        Figure("startup: not measured (%s)\n",
               result.error.empty() ? "the window never appeared" : result.error.c_str());
        return;
    }
    Figure("startup: %.0f ms\n", Percentile(window, 0.5));
}

std::string Spelled(const std::vector<std::string>& options) {
    std::string spelled;
    for (const auto& option : options)
        spelled += " " + option;
    return spelled;
}

bench::X11Programs Programs() {
    return {ProgramNextToUs("zorvane"), ProgramNextToUs("zorvane-sim"), ZORVANE_EXAMPLE_NAMES,
            ProgramNextToUs("zorvane-decode")};
}

// One run of the real program on X; false when it could not be measured (said on stdout).
bool X11Run(const Settings& s, const char* figure, const std::vector<std::string>& options,
            bench::X11Result& r) {
    r = bench::MeasureX11LineRate(Programs(), options, s.x11Run);
    if (!r.error.empty()) {
        Figure("%s: not measured (%s)\n", figure, r.error.c_str());
        return false;
    }
    Detail(
        "# %s (zorvane-sim%s): monitor cpu=%.1f%%, Xvfb cpu=%.1f%%, context switches per "
        "frame %.2f voluntary + %.2f preempted\n",
        figure, Spelled(options).c_str(), r.monitorCpuPercent, r.serverCpuPercent,
        r.voluntarySwitchesPerFrame, r.involuntarySwitchesPerFrame);
    return true;
}

// The decoder alone on the same line for half a run; 0 when not measured.
double DecoderAlone(const Settings& s, const std::vector<std::string>& options,
                    std::string& error) {
    const auto r = bench::MeasureDecoderAlone(Programs(), options, s.x11Run / 2);
    error = r.error;
    return r.error.empty() ? r.monitorCpuPercent : 0;
}

// A CPU figure and, taken from the same run, a switches figure (when there is one). With a
// floor figure, the decoder alone runs just before and just after the monitor, half a run
// each: the machine's load drifts, and the mean is what the monitor's run met. The monitor
// is given as a multiple of it.
void X11Pair(const Settings& s, const char* cpuFigure, const char* switchesFigure,
             const std::vector<std::string>& options, const char* floorFigure = nullptr) {
    const bool cpu = s.Wants(cpuFigure);
    const bool switches = switchesFigure != nullptr && s.Wants(switchesFigure);
    const bool floor = floorFigure != nullptr && (cpu || s.Wants(floorFigure));
    std::string error;
    const double aloneBefore = floor ? DecoderAlone(s, options, error) : 0;
    bench::X11Result r;
    const bool measured =
        (cpu || switches) && X11Run(s, cpu ? cpuFigure : switchesFigure, options, r);
    const double aloneAfter = floor && error.empty() ? DecoderAlone(s, options, error) : 0;
    const double alone = (aloneBefore + aloneAfter) / 2;
    if (floor && error.empty()) {
        Figure("%s: cpu=%.2f%%\n", floorFigure, alone);
        Detail("# %s (zorvane-sim%s): cpu=%.2f%% before the monitor's run, %.2f%% after\n",
               floorFigure, Spelled(options).c_str(), aloneBefore, aloneAfter);
    } else if (floor) {
        Figure("%s: not measured (%s)\n", floorFigure, error.c_str());
    }
    if (!measured) return;
    if (cpu && alone > 0)
        Figure("%s: cpu=%.1f%% xserver=%.1f%% (%.1fx the decoder alone)\n", cpuFigure,
               r.monitorCpuPercent, r.serverCpuPercent, r.monitorCpuPercent / alone);
    else if (cpu)
        Figure("%s: cpu=%.1f%% xserver=%.1f%%\n", cpuFigure, r.monitorCpuPercent,
               r.serverCpuPercent);
    if (switches) Figure("%s: %.2f\n", switchesFigure, r.SwitchesPerFrame());
}

// Worst case: texts and many lamps change every frame. Typical: one lamp moves every ~100 ms;
// the switches per frame are taken there, where painting adds none of its own. Then both as a
// USB adapter with the common 16 ms latency timer delivers them: about seven frames a read.
void X11Figures(const Settings& s) {
    X11Pair(s, "x11-line-rate-worst", nullptr, {"--pattern", "random"}, "decode-alone");
    X11Pair(s, "x11-line-rate-typical", "switches-per-frame", {"--pattern", "walk"});
    const std::string packet = std::to_string(kUsbPacket.count());
    X11Pair(s, "x11-usb-line-rate", "switches-per-frame-usb",
            {"--pattern", "walk", "--packet-ms", packet}, "decode-alone-usb");
    X11Pair(s, "x11-usb-line-rate-worst", nullptr, {"--pattern", "random", "--packet-ms", packet});
}

// The figures that need the whole stack; each its own run on one open port.
bool StackFigures(const Settings& s, double& idle, std::vector<double>& handOffs) {
    bench::StackBench stack(ZORVANE_EXAMPLE_NAMES);
    if (!stack.Open()) {
        std::fputs("zorvane-bench: the port did not open\n", stderr);
        return false;
    }
    if (s.Wants("line-rate")) {
        bench::SendPlan line;
        line.framesPerSecond = kLineFramesPerSecond;
        line.spreadBytes = s.bytePaced;
        const auto r = stack.Stream(line, s.lineRun);
        Figure("line-rate: sent=%llu shown=%llu lost=%llu cpu=%.1f%% rss=%.1f MiB\n",
               static_cast<unsigned long long>(r.sent), static_cast<unsigned long long>(r.shown),
               static_cast<unsigned long long>(r.lost), r.monitorCpuPercent, r.rssMiB);
        Details("line-rate", r);
        // Taken at line rate: the round trip the monitor sees in service.
        handOffs = r.handOffMicros;
    }
    if (s.Wants("line-rate-usb")) {
        bench::SendPlan usb;
        usb.framesPerSecond = kLineFramesPerSecond;
        usb.packet = kUsbPacket;
        const auto r = stack.Stream(usb, s.lineRun);
        Figure("line-rate-usb: sent=%llu shown=%llu lost=%llu cpu=%.1f%%\n",
               static_cast<unsigned long long>(r.sent), static_cast<unsigned long long>(r.shown),
               static_cast<unsigned long long>(r.lost), r.monitorCpuPercent);
        Details("line-rate-usb", r);
    }
    if (s.Wants("idle-cpu")) idle = stack.IdleCpuPercent(s.idleRun);
    if (s.Wants("max-rate")) {
        const auto r = stack.Stream(bench::SendPlan{}, s.maxRun);
        Figure("max-rate: %.0f frames/s lost=%llu\n", r.FramesPerSecond(),
               static_cast<unsigned long long>(r.lost));
        Details("max-rate", r);
    }
    return true;
}

int Run(const Settings& s) {
    double idle = 0;
    std::vector<double> handOffs;
    if ((s.Wants("line-rate") || s.Wants("line-rate-usb") || s.Wants("idle-cpu") ||
         s.Wants("max-rate")) &&
        !StackFigures(s, idle, handOffs))
        return 1;
    if (s.Wants("line-rate"))
        Figure("handoff: median %.1f us, p99 %.1f us\n", Percentile(handOffs, 0.5),
               Percentile(handOffs, 0.99));
    if (s.Wants("decode")) {
        const auto decode = bench::MeasureDecode(s.decodeBytes);
        Figure("decode: %.0f MB/s\n", decode.megabytesPerSecond);
        Detail("# decode: %llu of %llu frames completed\n",
               static_cast<unsigned long long>(decode.frames),
               static_cast<unsigned long long>(decode.expected));
    }
    DecodeToolFigures(s);
    if (s.Wants("startup")) Startup(s);
    if (s.Wants("idle-cpu")) Figure("idle-cpu: %.2f%%\n", idle);
    X11Figures(s);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    switch (ParseArgs(argc, argv, settings)) {
        case Parsed::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case Parsed::Error:
            std::fputs(kUsage, stderr);
            return 2;
        case Parsed::Run:
            break;
    }
    // The window is real but needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The monitors it runs keep their settings and records here, not in the user's folders.
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        qputenv(name, home.path().toLocal8Bit());
    QApplication app(argc, argv);
    try {
        return Run(settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorvane-bench: %s\n", e.what());
        return 1;
    }
}
