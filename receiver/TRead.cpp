#include "TRead.h"

#include "DecodeStep.h"
#include "ReaderGlobals.h"

namespace zorvane {

TRead::TRead(ByteSource& source, HandOff& handOff, ShowFrameFn showFrame)
    : source_(source),
      handOff_(handOff),
      showFrame_(std::move(showFrame)),
      thread_([this] { ReadLoop(); }) {}

TRead::~TRead() {
    Terminate();
    thread_.join();
}

void TRead::Terminate() {
    stop_.Request();
}

bool TRead::WaitFor(std::chrono::milliseconds limit) {
    std::unique_lock lock(endMutex_);
    return endChanged_.wait_for(lock, limit, [this] { return ended_; });
}

void TRead::ReadLoop() {
    receiver_.Start();
    while (!stop_.Requested()) {
        const auto started = std::chrono::steady_clock::now();
        const bool got = source_.ReadByte(RxByte);
        ByteReceived = false;
        if (!got) {
            // A port that is gone fails at once, forever: never retry sooner than a time-out.
            stop_.WaitUntil(started + kReadTimeout);
            continue;
        }
        const DecodedByte step = DecodeStep(receiver_, RxByte);
        StatusLine = FormatStatusLine(1, step.before);
        ByteReceived = true;
        if (step.completed) handOff_.Call([this] { showFrame_(*this); });
    }
    MarkEnded();
}

void TRead::MarkEnded() {
    std::lock_guard lock(endMutex_);
    ended_ = true;
    endChanged_.notify_all();
}

}  // namespace zorvane
