#include "ReaderThread.h"

namespace zorvane {

ReaderThread::ReaderThread(ByteSource& source, HandOff& handOff, FrameHandler showFrame)
    : source_(source),
      handOff_(handOff),
      showFrame_(std::move(showFrame)),
      thread_([this](std::stop_token stop) { ReadLoop(stop); }) {}

bool ReaderThread::WaitUntilEnded(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return ended_; });
}

void ReaderThread::ReadLoop(std::stop_token stop) {
    FrameReceiver receiver;
    while (!stop.stop_requested()) {
        const auto started = std::chrono::steady_clock::now();
        std::uint8_t byte = 0;
        if (!source_.ReadByte(byte)) {
            // A port that is gone fails at once, forever: never retry sooner than a time-out.
            std::unique_lock lock(mutex_);
            changed_.wait_until(lock, stop, started + kReadTimeout, [] { return false; });
            continue;
        }
        const DecodedByte step = DecodeByte(receiver, byte);
        if (!step.completed) continue;
        const Frame frame = receiver.LatestFrame();
        const std::string statusLine = FormatStatusLine(1, step.before);
        handOff_.Call([&] { showFrame_(frame, statusLine); });
    }
    MarkEnded();
}

void ReaderThread::MarkEnded() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

}  // namespace zorvane
