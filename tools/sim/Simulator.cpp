#include "Simulator.h"

#include <cstdio>
#include <memory>
#include <string>

#include "DeviceOutput.h"
#include "Pattern.h"
#include "PatternFrames.h"
#include "PtyOutput.h"
#include "ReplayFrames.h"
#include "SimLoop.h"
#include "StdoutOutput.h"

namespace zorvane::sim {

namespace {

void Say(const std::string& line) {
    std::fprintf(stderr, "zorvane-sim: %s\n", line.c_str());
}

std::unique_ptr<Output> OpenOutput(const SimOptions& o, std::string& error) {
    switch (o.output) {
        case OutputKind::Stdout:
            return std::make_unique<StdoutOutput>();
        case OutputKind::Device:
            return DeviceOutput::Open(o.device, error);
        case OutputKind::Pty:
            break;
    }
    return PtyOutput::Open(o.link, error);
}

// The walk keeps its ~100 ms per lamp at the nominal rate (the line rate when unpaced).
Pace NominalPace(const SimOptions& o) {
    return o.rateMilliFps ? Pace::FromMilliFps(*o.rateMilliFps) : Pace::LineRate();
}

std::unique_ptr<FrameSource> MakeSource(const SimOptions& o, std::string& error) {
    if (!o.replay.empty()) return ReplayFrames::Load(o.replay, o.loop, error);
    PatternFrames::Settings s;
    s.pattern = o.pattern;
    s.framesPerLamp = WalkFramesPerLamp(NominalPace(o).FramesPerSecond());
    s.plcSilent = o.plcSilent;
    s.corrupt = o.corrupt;
    s.seed = o.seed;
    return std::make_unique<PatternFrames>(s);
}

LoopSettings MakeLoopSettings(const SimOptions& o) {
    LoopSettings s;
    if (!o.unpaced) s.pace = NominalPace(o);
    if (o.silence) s.silence = Silence(*o.silence);
    s.frameLimit = o.frames;
    return s;
}

std::string PaceText(const SimOptions& o) {
    if (o.unpaced) return "unpaced";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f frames/s", NominalPace(o).FramesPerSecond());
    return buf;
}

std::string Summary(const LoopReport& r) {
    std::string text =
        "sent " + std::to_string(r.sent) + " of " + std::to_string(r.frames) + " frames";
    if (r.noReader > 0) text += ", " + std::to_string(r.noReader) + " while nobody listened";
    if (r.dropped > 0) text += ", " + std::to_string(r.dropped) + " dropped (line busy)";
    if (r.skipped > 0) text += ", " + std::to_string(r.skipped) + " slots skipped (held up)";
    return text;
}

}  // namespace

int RunSimulator(const SimOptions& options) {
    std::string error;
    auto source = MakeSource(options, error);
    if (!source) {
        Say(error);
        return 1;
    }
    auto output = OpenOutput(options, error);
    if (!output) {
        Say(error);
        return 1;
    }
    Say(output->Describe() + ", " + PaceText(options) + "; Ctrl-C stops");
    const LoopReport report = RunSendLoop(*source, *output, MakeLoopSettings(options));
    Say(Summary(report));
    if (report.failed) {
        Say(output->error());
        return 1;
    }
    return 0;
}

}  // namespace zorvane::sim
