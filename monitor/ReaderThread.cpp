#include "ReaderThread.h"

#include <pthread.h>
#include <sched.h>

namespace zorvane {

namespace {

// The user-interface thread wakes the reader as it ends each hand-off and goes to sleep
// right after; a reader that preempted it there would cost a context switch a frame. Batch
// threads never preempt on wake-up and otherwise get their fair share. Any thread may pick
// this policy, so it fails only where it does not exist, and then the default serves.
void YieldOnWakeUp() {
    const sched_param normal{};
    (void)::pthread_setschedparam(::pthread_self(), SCHED_BATCH, &normal);
}

}  // namespace

void ReaderThread::Batch::Event(const LineEvent& event) {
    events.push_back(event);
    if (event.kind == LineEvent::Kind::Frame)
        latestFrame.store(event.at.tick.time_since_epoch().count(), std::memory_order_release);
}

ReaderThread::ReaderThread(ByteSource& source, std::chrono::milliseconds readTimeout,
                           LineCore& line, HandOff& handOff, EventHandler show,
                           HealthHandler showHealth)
    : source_(source),
      readTimeout_(readTimeout),
      line_(line),
      handOff_(handOff),
      show_(std::move(show)),
      showHealth_(std::move(showHealth)) {
    line_.Add(batch_);
    thread_ = std::jthread([this](std::stop_token stop) { ReadLoop(stop); });
}

bool ReaderThread::WaitUntilEnded(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return ended_; });
}

std::optional<std::chrono::steady_clock::time_point> ReaderThread::LatestFrameTime() const {
    const auto tick = batch_.latestFrame.load(std::memory_order_acquire);
    if (tick == 0) return std::nullopt;
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(tick));
}

void ReaderThread::ReadLoop(std::stop_token stop) {
    YieldOnWakeUp();
    auto counted = std::chrono::steady_clock::now();
    while (!stop.stop_requested()) {
        const auto started = std::chrono::steady_clock::now();
        batch_.events.clear();
        batch_.health.reset();
        // The port tells of its loss or return from inside the read.
        const std::span<const std::uint8_t> bytes = source_.Read();
        // The driver's counts cost a system call: once a second is enough to see them move.
        if (started - counted >= kDriverCountsInterval) {
            counted = started;
            line_.DriverErrors(source_.ErrorCounts());
        }
        line_.Read(bytes, Moment::Now());
        // While they are shown, wait for the next bytes: the read that follows needs them, and
        // a window done by then need not wake this thread.
        if (!batch_.Empty())
            handOff_.Call(
                [this] {
                    for (const LineEvent& event : batch_.events)
                        show_(event);
                    if (batch_.health && showHealth_) showHealth_(*batch_.health);
                },
                [this] { source_.AwaitBytes(readTimeout_); });
        if (!bytes.empty()) continue;
        // A port that is gone fails at once, forever: never retry sooner than a time-out.
        std::unique_lock lock(mutex_);
        changed_.wait_until(lock, stop, started + readTimeout_, [] { return false; });
    }
    MarkEnded();
}

void ReaderThread::MarkEnded() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

}  // namespace zorvane
