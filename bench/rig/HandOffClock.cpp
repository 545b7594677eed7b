#include "HandOffClock.h"

#include <pthread.h>

#include <utility>

namespace zorvane::bench {

void HandOffLog::Add(double micros) {
    std::lock_guard lock(mutex_);
    micros_.push_back(micros);
}

std::vector<double> HandOffLog::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(micros_, {});
}

void HandOffLog::NoteReaderThread() {
    if (::pthread_getcpuclockid(::pthread_self(), &readerClock_) == 0)
        haveReader_.store(true, std::memory_order_release);
}

std::chrono::nanoseconds HandOffLog::ReaderCpu() const {
    timespec ts{};
    if (!haveReader_.load(std::memory_order_acquire) || ::clock_gettime(readerClock_, &ts) != 0)
        return {};
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

std::span<const std::uint8_t> HandOffClock::Read() {
    if (first_) {
        first_ = false;
        log_.NoteReaderThread();
    }
    const std::uint64_t shown = tally_.ShownSoFar();
    if (shown != shownBefore_) {
        shownBefore_ = shown;
        const auto roundTrip = tally_.LastShownAt() - lastRead_;
        log_.Add(std::chrono::duration<double, std::micro>(roundTrip).count());
    }
    const auto got = port_->Read();
    if (!got.empty()) lastRead_ = std::chrono::steady_clock::now();
    return got;
}

}  // namespace zorvane::bench
