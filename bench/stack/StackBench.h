#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HandOffClock.h"
#include "MonitorStack.h"
#include "PortDir.h"
#include "PtyLine.h"
#include "Sender.h"

namespace zorvane::bench {

// What one streaming run of the whole stack measured.
struct StreamResult {
    std::uint64_t sent = 0;
    std::uint64_t shown = 0;  // shown intact and in order
    std::uint64_t lost = 0;   // sent, but never shown intact
    std::uint64_t bad = 0;    // damaged, repeated or out-of-order frames shown
    std::chrono::nanoseconds wall{0};
    double monitorCpuPercent = 0;  // the process without the sender thread, of one core
    double uiCpuPercent = 0;       // of that: the user-interface thread
    double readerCpuPercent = 0;   // and the reader thread
    double senderCpuPercent = 0;
    double rssMiB = 0;
    double showFrameMicros = 0;  // mean time inside the window's ShowFrame
    std::chrono::nanoseconds worstSenderLag{0};
    std::vector<double> handOffMicros;
    double FramesPerSecond() const;
};

// The real stack in this process: a pseudo-terminal as COM1, the port lifecycle with the
// termios port, the reader thread and its hand-off, the main window and its ShowFrame; and a
// sender thread on the terminal's master side.
class StackBench {
  public:
    explicit StackBench(const std::string& namesFile);
    ~StackBench();

    bool Open();
    // Streams numbered frames for `duration`, then lets everything sent be shown.
    StreamResult Stream(bench::SendPlan plan, std::chrono::milliseconds duration);
    // Monitor CPU, percent of one core, with the port open and nothing on the line.
    double IdleCpuPercent(std::chrono::milliseconds duration);

  private:
    std::unique_ptr<ByteSource> TimePort(std::unique_ptr<ByteSource> port);

    bench::PtyLine line_;
    std::unique_ptr<bench::PortDir> dir_;
    HandOffLog handOffs_;
    std::unique_ptr<bench::MonitorStack> stack_;
    std::uint64_t nextFrame_ = 0;
};

}  // namespace zorvane::bench
