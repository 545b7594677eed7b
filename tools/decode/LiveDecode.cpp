#include "LiveDecode.h"

#include <signal.h>

#include <cstdio>
#include <thread>

#include "LineSettings.h"
#include "LocalTime.h"
#include "PortName.h"
#include "TextOutput.h"

namespace zorvane {

namespace {

// The one value a signal handler may touch.
volatile sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) {
    stopRequested = 1;
}

// From now on Ctrl-C and SIGTERM only raise a flag that the live loop checks, so the port is
// restored on the normal way out. SIGPIPE is ignored: a closed output fails a write instead,
// which ends the loop the same way.
void InstallStopHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: the loop sees the flag within one read time-out
    sigaction(SIGINT, &sa, nullptr);   // cannot fail for these signals
    sigaction(SIGTERM, &sa, nullptr);  // same
    signal(SIGPIPE, SIG_IGN);          // same
}

bool StopRequested() {
    return stopRequested != 0;
}

}  // namespace

void TellPortChange(ReconnectingPort::Change change, const std::string& device) {
    if (change == ReconnectingPort::Change::Lost)
        std::fprintf(stderr, "zorvane-decode: %s is gone; waiting for it\n", device.c_str());
    else
        std::fprintf(stderr, "zorvane-decode: %s is back\n", device.c_str());
}

void LiveLines::Port(ReconnectingPort::Change change, const std::string& device,
                     const Moment& /*at*/, std::string& /*out*/) {
    TellPortChange(change, device);
}

void LiveChanges::Byte(std::uint8_t byte, const Moment& at, std::string& out) {
    NoteSilence(at, out);
    if (!DecodeByte(receiver_, byte).completed) return;
    const auto when = [&at] { return LocalTime(at.wall); };
    if (link_.Frame(at)) log_.AddEvent(when(), ChangeLog::Event::LinkUp, out);
    log_.AddFrame(receiver_.LatestFrame(), when, out);
}

void LiveChanges::Port(ReconnectingPort::Change change, const std::string& /*device*/,
                       const Moment& at, std::string& out) {
    NoteSilence(at, out);
    const bool lost = change == ReconnectingPort::Change::Lost;
    log_.AddEvent(LocalTime(at.wall),
                  lost ? ChangeLog::Event::PortLost : ChangeLog::Event::PortBack, out);
}

void LiveChanges::NoteSilence(const Moment& now, std::string& out) {
    if (const auto down = link_.WentDown(now))
        log_.AddEvent(LocalTime(down->wall), ChangeLog::Event::LinkDown, out);
}

int DecodeDevice(const std::string& portName, LiveSink& sink) {
    const std::string path = DevicePath(portName);
    SerialOpenResult opened = SerialPort::Open(path);
    if (!opened.port) {
        // The reason names the device, as the user sees it.
        std::fprintf(stderr, "zorvane-decode: cannot open %s\n", opened.error.Reason().c_str());
        return 1;
    }
    InstallStopHandlers();
    std::string out;
    // The listener runs inside Read, on this thread.
    ReconnectingPort port(path, std::move(opened.port),
                          [&](ReconnectingPort::Change change, const std::string& device) {
                              sink.Port(change, device, Moment::Now(), out);
                          });
    while (!StopRequested()) {
        const auto started = std::chrono::steady_clock::now();
        const auto bytes = port.Read();
        for (const std::uint8_t byte : bytes)
            sink.Byte(byte, Moment::Now(), out);
        if (bytes.empty()) sink.Quiet(Moment::Now(), out);
        if (!out.empty() && !WriteOutput(out)) return 1;
        out.clear();
        // A port that is gone fails at once, forever: never read again sooner than a time-out.
        if (bytes.empty()) std::this_thread::sleep_until(started + kReadTimeout);
    }
    return 0;
}

}  // namespace zorvane
