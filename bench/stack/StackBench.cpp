#include "StackBench.h"

#include <time.h>

#include <stdexcept>

#include "EventWait.h"
#include "ResourceUse.h"

namespace zorvane::bench {

namespace {

std::chrono::nanoseconds ThisThreadCpu() {
    timespec ts{};
    (void)::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);  // cannot fail for this clock
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
// After the sender stops: how long the monitor may take to show what is still in the line.
constexpr auto kDrainLimit = 5s;
constexpr auto kOpenLimit = 5s;

}  // namespace

double StreamResult::FramesPerSecond() const {
    const double seconds = std::chrono::duration<double>(wall).count();
    return seconds > 0 ? static_cast<double>(shown) / seconds : 0;
}

StackBench::StackBench(const std::string& namesFile) {
    if (!line_.Ok()) throw std::runtime_error("no pseudo-terminal (is /dev/pts mounted?)");
    dir_ = std::make_unique<bench::PortDir>(line_.Slave(), namesFile);
    stack_ = std::make_unique<bench::MonitorStack>(
        [this](std::unique_ptr<ByteSource> port) { return TimePort(std::move(port)); });
}

StackBench::~StackBench() {
    stack_.reset();  // closes the port before the line and the directory go
}

std::unique_ptr<ByteSource> StackBench::TimePort(std::unique_ptr<ByteSource> port) {
    return std::make_unique<HandOffClock>(std::move(port), stack_->Tally(), handOffs_);
}

bool StackBench::Open() {
    return stack_->Open(kOpenLimit);
}

StreamResult StackBench::Stream(bench::SendPlan plan, std::chrono::milliseconds duration) {
    bench::FrameTally& tally = stack_->Tally();
    plan.firstFrame = nextFrame_;
    tally.ExpectNext(nextFrame_);
    handOffs_.Take();
    const auto before = tally.Snapshot();
    const auto cpuBefore = bench::ProcessCpu();
    const auto uiBefore = ThisThreadCpu();
    const auto readerBefore = handOffs_.ReaderCpu();
    const auto started = Clock::now();

    bench::Sender sender(line_.Master(), plan);
    bench::RunFor(duration);
    sender.RequestStop();
    bench::WaitFor([&] { return sender.Finished(); }, kDrainLimit);
    sender.Join();
    bench::WaitFor([&] { return tally.Snapshot().shown - before.shown >= sender.Sent(); },
                   kDrainLimit);

    StreamResult r;
    r.wall = Clock::now() - started;
    const auto after = tally.Snapshot();
    const auto monitorCpu = bench::ProcessCpu() - cpuBefore - sender.CpuTime();
    r.sent = sender.Sent();
    r.shown = after.inOrder - before.inOrder;
    r.lost = r.sent > r.shown ? r.sent - r.shown : 0;
    r.bad = after.bad - before.bad;
    r.monitorCpuPercent = bench::PercentOfCore(monitorCpu, r.wall);
    r.uiCpuPercent = bench::PercentOfCore(ThisThreadCpu() - uiBefore, r.wall);
    r.readerCpuPercent = bench::PercentOfCore(handOffs_.ReaderCpu() - readerBefore, r.wall);
    r.senderCpuPercent = bench::PercentOfCore(sender.CpuTime(), r.wall);
    r.rssMiB = bench::ResidentMiB();
    const auto shows = after.shown - before.shown;
    if (shows > 0)
        r.showFrameMicros =
            std::chrono::duration<double, std::micro>(after.showTime - before.showTime).count() /
            static_cast<double>(shows);
    r.worstSenderLag = sender.WorstLag();
    r.handOffMicros = handOffs_.Take();
    nextFrame_ += r.sent;
    return r;
}

double StackBench::IdleCpuPercent(std::chrono::milliseconds duration) {
    const auto cpuBefore = bench::ProcessCpu();
    const auto started = Clock::now();
    bench::RunFor(duration);
    return bench::PercentOfCore(bench::ProcessCpu() - cpuBefore, Clock::now() - started);
}

}  // namespace zorvane::bench
