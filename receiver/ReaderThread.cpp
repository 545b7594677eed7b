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

ReaderThread::ReaderThread(ByteSource& source, std::chrono::milliseconds readTimeout,
                           HandOff& handOff, FrameHandler showFrame)
    : source_(source),
      readTimeout_(readTimeout),
      handOff_(handOff),
      showFrame_(std::move(showFrame)),
      thread_([this](std::stop_token stop) { ReadLoop(stop); }) {}

bool ReaderThread::WaitUntilEnded(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return ended_; });
}

void ReaderThread::ReadLoop(std::stop_token stop) {
    YieldOnWakeUp();
    FrameReceiver receiver;
    std::vector<CompleteFrame> complete;  // what the current read completed
    while (!stop.stop_requested()) {
        const auto started = std::chrono::steady_clock::now();
        std::span<const std::uint8_t> bytes = source_.Read();
        if (bytes.empty()) {
            // A port that is gone fails at once, forever: never retry sooner than a time-out.
            std::unique_lock lock(mutex_);
            changed_.wait_until(lock, stop, started + readTimeout_, [] { return false; });
            continue;
        }
        complete.clear();
        while (!bytes.empty()) {
            const DecodedBytes fed = DecodeUntilFrame(receiver, bytes);
            bytes = bytes.subspan(fed.used);
            if (fed.last.completed)
                complete.push_back({receiver.LatestFrame(), FormatStatusLine(1, fed.last.before)});
        }
        if (complete.empty()) continue;
        // While they are shown, wait for the next bytes: the read that follows needs them, and
        // a window done by then need not wake this thread.
        handOff_.Call(
            [&] {
                for (const CompleteFrame& c : complete)
                    showFrame_(c.frame, c.statusLine);
            },
            [this] { source_.AwaitBytes(readTimeout_); });
    }
    MarkEnded();
}

void ReaderThread::MarkEnded() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

}  // namespace zorvane
