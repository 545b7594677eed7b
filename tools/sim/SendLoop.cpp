#include "SendLoop.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "LineSettings.h"

namespace zorvane::sim {

namespace {

using std::chrono::milliseconds;

// Held up longer than this (a suspended process, a busy machine), the missed slots are given
// up instead of going out back to back; the schedule itself stays where it was.
constexpr milliseconds kMaxLag(20);
// How long a frame may wait for room after its slot before it is dropped: a busy machine can
// hold a pty's hand-over to the reader up for milliseconds.
constexpr milliseconds kPatience(50);
// Unpaced with nobody listening, the pause between tries, instead of spinning.
constexpr milliseconds kNoReaderPause(10);
// How long a sleep may go without looking for a stop request.
constexpr milliseconds kStopCheck(50);

bool SleepUntil(Clock::time_point t, const StopRequest& stop) {
    while (!stop.Requested() && Clock::now() < t)
        std::this_thread::sleep_until(std::min(t, Clock::now() + kStopCheck));
    return !stop.Requested();
}

class SendLoop {
  public:
    SendLoop(FrameSource& source, Output& output, const Options& o, const StopRequest& stop)
        : source_(source), output_(output), options_(o), stop_(stop) {
        if (!o.unpaced) framesPerSecond_ = o.rate.value_or(kLineFramesPerSecond);
    }

    LoopReport Run() {
        bool going = true;
        while (going && !stop_.Requested() && WantsMore(0))
            going = Step();
        return report_;
    }

  private:
    // Slot k starts k / rate after the start, computed afresh each time, so nothing accumulates.
    Clock::duration Offset(std::uint64_t slot) const {
        const std::chrono::duration<double> seconds(slot / framesPerSecond_);
        return std::chrono::duration_cast<Clock::duration>(seconds);
    }
    std::uint64_t SlotAtOrAfter(Clock::duration t) const {
        return static_cast<std::uint64_t>(
            std::ceil(std::chrono::duration<double>(t).count() * framesPerSecond_));
    }

    bool Paced() const { return framesPerSecond_ > 0; }

    // One burst: the slot due now, with an adapter every slot it collected up to its hand-over;
    // or a silence or a hold-up passed. False when the run is over.
    bool Step() {
        const Clock::duration due = Paced() ? Offset(slot_) : Clock::now() - start_;
        const auto& silence = options_.silence;
        if (InSilence(due)) return PassSilence((due / silence->period + 1) * silence->period);
        const Clock::duration handOver = HandOver(due);
        if (!SleepUntil(start_ + handOver, stop_)) return false;
        if (Paced() && Clock::now() - start_ - handOver > kMaxLag) return PassHoldUp();
        if (!SendBurst(handOver, Clock::now() + kPatience)) return false;
        return Paced() || lastResult_ != SendResult::NoReader ||
               SleepUntil(Clock::now() + kNoReaderPause, stop_);
    }

    bool InSilence(Clock::duration due) const {
        const auto& silence = options_.silence;
        return silence && due % silence->period >= silence->period - silence->quiet;
    }

    // An adapter passes on what came in at the end of each of its latency timer's periods.
    Clock::duration HandOver(Clock::duration due) const {
        const Clock::duration packet = options_.packet;
        if (packet.count() == 0) return due;
        return (due + packet - Clock::duration(1)) / packet * packet;
    }

    bool PassSilence(Clock::duration end) {
        if (!Paced()) return SleepUntil(start_ + end, stop_);
        // At least one slot on: rounding may put the first slot after it a hair too early.
        slot_ = std::max(slot_ + 1, SlotAtOrAfter(end));
        return true;
    }

    bool PassHoldUp() {
        const std::uint64_t next = SlotAtOrAfter(Clock::now() - start_);
        report_.skipped += next - slot_;
        slot_ = next;
        return true;
    }

    bool WantsMore(std::uint64_t frames) const {
        return options_.frames == 0 || report_.frames + frames < options_.frames;
    }

    // The slots handed over at `handOver` in one write; false when the run is over.
    bool SendBurst(Clock::duration handOver, Clock::time_point deadline) {
        burst_.clear();
        std::uint64_t frames = 0;
        do {
            const auto bytes = source_();
            if (bytes.empty()) break;
            burst_.insert(burst_.end(), bytes.begin(), bytes.end());
            ++frames;
            ++slot_;
        } while (Paced() && HandOver(Offset(slot_)) == handOver && !InSilence(Offset(slot_)) &&
                 WantsMore(frames));
        if (frames == 0) return false;
        report_.frames += frames;
        lastResult_ = output_.Send(burst_, deadline, stop_);
        const auto count = [&](SendResult result) { return lastResult_ == result ? frames : 0; };
        report_.sent += count(SendResult::Sent);
        report_.dropped += count(SendResult::Dropped);
        report_.noReader += count(SendResult::NoReader);
        report_.failed = lastResult_ == SendResult::Failed;
        return lastResult_ != SendResult::Finished && !report_.failed;
    }

    FrameSource& source_;
    Output& output_;
    const Options& options_;
    const StopRequest& stop_;
    double framesPerSecond_ = 0;  // 0: unpaced
    const Clock::time_point start_ = Clock::now();
    std::uint64_t slot_ = 0;
    SendResult lastResult_ = SendResult::Sent;
    std::vector<std::uint8_t> burst_;
    LoopReport report_;
};

}  // namespace

LoopReport RunSendLoop(FrameSource& source, Output& output, const Options& options,
                       const StopRequest& stop) {
    return SendLoop(source, output, options, stop).Run();
}

}  // namespace zorvane::sim
