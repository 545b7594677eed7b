// zorvane-sim: a stand-in for the Vorlan transmitter, so the monitor runs without hardware.
#include <cstdio>
#include <string>

#include "FrameSource.h"
#include "LineSettings.h"
#include "Options.h"
#include "Output.h"
#include "SendLoop.h"

namespace zorvane::sim {
namespace {

void Say(const std::string& line) {
    std::fprintf(stderr, "zorvane-sim: %s\n", line.c_str());
}

std::string PaceText(const Options& o) {
    if (o.unpaced) return "unpaced";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f frames/s", o.rate.value_or(kLineFramesPerSecond));
    if (o.packet.count() == 0) return text;
    return text + (" in bursts every " + std::to_string(o.packet.count()) + " ms");
}

std::string Summary(const LoopReport& r) {
    std::string text =
        "sent " + std::to_string(r.sent) + " of " + std::to_string(r.frames) + " frames";
    if (r.noReader > 0) text += ", " + std::to_string(r.noReader) + " while nobody listened";
    if (r.dropped > 0) text += ", " + std::to_string(r.dropped) + " dropped (line busy)";
    if (r.skipped > 0) text += ", " + std::to_string(r.skipped) + " slots skipped (held up)";
    return text;
}

int Run(const Options& o) {
    // From here a stop finishes the frame under way and removes the link on the normal way out.
    const StopRequest stop;
    std::string error;
    auto source = o.replay.empty() ? PatternSource(o) : ReplaySource(o.replay, o.loop, error);
    const auto output = source ? Output::Open(o, error) : nullptr;
    if (!output) {
        Say(error);
        return 1;
    }
    Say(output->description() + ", " + PaceText(o) + "; Ctrl-C stops");
    const LoopReport report = RunSendLoop(*source, *output, o, stop);
    Say(Summary(report));
    if (report.failed) Say(output->error());
    return report.failed ? 1 : 0;
}

}  // namespace
}  // namespace zorvane::sim

int main(int argc, char** argv) {
    using namespace zorvane::sim;
    Options options;
    if (const auto status = ParseCommandLine(argc, argv, options)) return *status;
    return Run(options);
}
