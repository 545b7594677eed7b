#include "SimLoop.h"

#include "MonoClock.h"
#include "StopFlag.h"

namespace zorvane::sim {

namespace {

// Further behind than this (a suspended process, an overloaded machine), the missed slots are
// given up instead of being sent in one long burst; the schedule itself stays where it was.
constexpr Nanos kMaxLag = std::chrono::milliseconds(100);
// How long one frame may wait for room after its slot before it is dropped. A pty moves bytes
// to the reader through a kernel work queue, which a busy machine can hold up for milliseconds;
// frames held up less than this go out late (and the next ones catch up) instead of being lost.
constexpr Nanos kSendPatience = std::chrono::milliseconds(50);
// Unpaced with no reader, the pause between attempts (instead of spinning).
constexpr Nanos kNoReaderBackoff = std::chrono::milliseconds(10);

class Loop {
  public:
    Loop(FrameSource& source, Output& output, const LoopSettings& settings)
        : source_(source), output_(output), settings_(settings), start_(MonoNow()) {}

    LoopReport Run() {
        while (!Finished()) {
            if (settings_.pace ? !PacedStep(*settings_.pace) : !UnpacedStep()) break;
        }
        return report_;
    }

  private:
    bool Finished() const {
        return StopRequested() || report_.failed ||
               (settings_.frameLimit > 0 && report_.frames >= settings_.frameLimit);
    }

    // One slot of the schedule; false when the run is over.
    bool PacedStep(const Pace& pace) {
        const Nanos due = pace.Offset(slot_);
        if (settings_.silence && settings_.silence->Contains(due)) {
            slot_ = pace.SlotAtOrAfter(settings_.silence->ResumeAt(due));
            return true;
        }
        if (!SleepUntil(start_ + due)) return false;
        const Nanos now = MonoNow() - start_;
        if (now - due > kMaxLag) {
            const std::uint64_t next = pace.SlotAtOrAfter(now);
            report_.skipped += next - slot_;
            slot_ = next;
            return true;
        }
        ++slot_;
        return SendNext(start_ + due + kSendPatience);
    }

    bool UnpacedStep() {
        if (settings_.silence) {
            const Nanos now = MonoNow() - start_;
            if (settings_.silence->Contains(now))
                return SleepUntil(start_ + settings_.silence->ResumeAt(now));
        }
        if (!SendNext(MonoNow() + kSendPatience)) return false;
        if (lastResult_ == SendResult::NoReader) return SleepUntil(MonoNow() + kNoReaderBackoff);
        return true;
    }

    bool SendNext(Nanos deadline) {
        const auto bytes = source_.Next();
        if (bytes.empty()) return false;
        ++report_.frames;
        lastResult_ = output_.Send(bytes, deadline);
        switch (lastResult_) {
            case SendResult::Sent:
                ++report_.sent;
                return true;
            case SendResult::Dropped:
                ++report_.dropped;
                return true;
            case SendResult::NoReader:
                ++report_.noReader;
                return true;
            case SendResult::Finished:
                return false;
            case SendResult::Failed:
                report_.failed = true;
                return false;
        }
        return false;
    }

    FrameSource& source_;
    Output& output_;
    const LoopSettings& settings_;
    const Nanos start_;
    std::uint64_t slot_ = 0;
    SendResult lastResult_ = SendResult::Sent;
    LoopReport report_;
};

}  // namespace

LoopReport RunSendLoop(FrameSource& source, Output& output, const LoopSettings& settings) {
    return Loop(source, output, settings).Run();
}

}  // namespace zorvane::sim
