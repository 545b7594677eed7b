// zorvane-sim: a stand-in for the Vorlan transmitter, so the monitor runs without hardware.
#include <signal.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "FrameSource.h"
#include "LineSettings.h"
#include "Options.h"
#include "Output.h"
#include "SendLoop.h"

namespace zorvane::sim {
namespace {

StopFlag stopRequested = 0;

extern "C" void OnStopSignal(int) {
    stopRequested = 1;
}

// SIGINT, SIGTERM and SIGHUP only raise the flag, so the frame under way is finished and the
// link removed on the normal way out. SIGPIPE is ignored: a closed pipe shows up as EPIPE.
void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;  // no SA_RESTART: a wait returns EINTR and sees the flag
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);  // cannot fail for these signals
    ::signal(SIGPIPE, SIG_IGN);               // cannot fail for SIGPIPE
}

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
    std::string error;
    auto source = o.replay.empty() ? PatternSource(o) : ReplaySource(o.replay, o.loop, error);
    const auto output = source ? Output::Open(o, error) : nullptr;
    if (!output) {
        Say(error);
        return 1;
    }
    Say(output->description() + ", " + PaceText(o) + "; Ctrl-C stops");
    const LoopReport report = RunSendLoop(*source, *output, o, stopRequested);
    Say(Summary(report));
    if (report.failed) Say(output->error());
    return report.failed ? 1 : 0;
}

}  // namespace
}  // namespace zorvane::sim

int main(int argc, char** argv) {
    using namespace zorvane::sim;
    const CommandLine command = ParseCommandLine(argc, argv);
    switch (command.action) {
        case CommandLine::Action::Help:
            std::fputs(UsageText(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::puts("zorvane-sim " ZORVANE_VERSION);
            return 0;
        case CommandLine::Action::Fail:
            std::fprintf(stderr, "zorvane-sim: %s\nTry 'zorvane-sim --help'.\n",
                         command.error.c_str());
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    InstallStopHandlers();
    return Run(command.options);
}
