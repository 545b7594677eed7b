#include "Sender.h"

#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "CounterFrames.h"

namespace zorvane::bench {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBatchFrames = 64;     // unpaced: frames per write, so the sender is never the limit
constexpr int kPollMs = 20;          // longest wait for room before looking at the flags again
constexpr int kPollsAfterStop = 50;  // a stopped sender gives up a frame nobody takes after 1 s

std::chrono::nanoseconds ThreadCpu() {
    timespec ts{};
    (void)::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);  // cannot fail for this clock
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

// steady_clock is CLOCK_MONOTONIC on Linux, so its time points are absolute sleep targets.
void SleepUntil(Clock::time_point t) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
    timespec ts{static_cast<time_t>(ns.count() / 1'000'000'000),
                static_cast<long>(ns.count() % 1'000'000'000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

Sender::Sender(int master, SendPlan plan, bool ownsMaster)
    : master_(master), plan_(plan), ownsMaster_(ownsMaster), thread_([this] { Run(); }) {}

Sender::~Sender() {
    Stop();
}

void Sender::Stop() {
    RequestStop();
    Join();
}

void Sender::Unplug() {
    RequestUnplug();
    Join();
}

void Sender::Join() {
    if (thread_.joinable()) thread_.join();
}

bool Sender::Done() const {
    return stop_ || unplug_ || (plan_.frameLimit > 0 && Sent() >= plan_.frameLimit);
}

void Sender::Run() {
    const auto cpuStart = ThreadCpu();
    // Non-blocking, so a reader that stops reading never holds up a stop request.
    const int flags = ::fcntl(master_, F_GETFL);
    failed_ = flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0;
    if (!failed_ && WriteAll(plan_.preamble.data(), plan_.preamble.size())) {
        if (plan_.framesPerSecond > 0 && plan_.packet.count() > 0) {
            RunPacketed();
        } else if (plan_.framesPerSecond > 0) {
            RunPaced();
        } else {
            RunUnpaced();
        }
    }
    if (ownsMaster_ && unplug_) ::close(master_);  // the descriptor is gone whatever it says
    cpu_ = ThreadCpu() - cpuStart;
    finished_.store(true, std::memory_order_release);
}

void Sender::RunUnpaced() {
    std::vector<std::uint8_t> batch;
    std::uint64_t n = plan_.firstFrame;
    while (!Done()) {
        batch.clear();
        for (int i = 0; i < kBatchFrames; ++i) {
            const WireBytes w = CounterFrame(n + i);
            batch.insert(batch.end(), w.begin(), w.end());
        }
        // Counted frame by frame, so Sent() is exact even when a write is cut short.
        for (int i = 0; i < kBatchFrames && !Done(); ++i) {
            if (!WriteAll(batch.data() + i * kWireFrameBytes, kWireFrameBytes)) return;
            sent_.fetch_add(1, std::memory_order_release);
        }
        n += kBatchFrames;
    }
}

void Sender::RunPaced() {
    const auto start = Clock::now();
    const int units = plan_.spreadBytes ? static_cast<int>(kWireFrameBytes) : 1;
    const std::size_t unitBytes = kWireFrameBytes / units;
    const double unitSeconds = 1.0 / (plan_.framesPerSecond * units);
    std::uint64_t slot = 0;
    for (std::uint64_t n = plan_.firstFrame; !Done(); ++n) {
        const WireBytes w = CounterFrame(n);
        for (int u = 0; u < units; ++u, ++slot) {
            const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(slot * unitSeconds));
            SleepUntil(due);
            worstLag_ = std::max<std::chrono::nanoseconds>(worstLag_, Clock::now() - due);
            if (!WriteAll(w.data() + u * unitBytes, unitBytes)) return;
        }
        sent_.fetch_add(1, std::memory_order_release);
    }
}

void Sender::RunPacketed() {
    const auto start = Clock::now();
    const std::chrono::duration<double> frameTime(1.0 / plan_.framesPerSecond);
    const auto packet = std::chrono::duration_cast<Clock::duration>(plan_.packet);
    std::vector<std::uint8_t> burst;
    std::uint64_t n = plan_.firstFrame;
    for (std::uint64_t period = 1; !Done(); ++period) {
        const auto due = start + period * packet;
        SleepUntil(due);
        worstLag_ = std::max<std::chrono::nanoseconds>(worstLag_, Clock::now() - due);
        // Every frame whose slot began by the end of this period.
        burst.clear();
        std::uint64_t count = 0;
        for (; (n + count - plan_.firstFrame) * frameTime <= period * packet; ++count) {
            if (plan_.frameLimit > 0 && Sent() + count >= plan_.frameLimit) break;
            const WireBytes w = CounterFrame(n + count);
            burst.insert(burst.end(), w.begin(), w.end());
        }
        if (!WriteAll(burst.data(), burst.size())) return;
        n += count;
        sent_.fetch_add(count, std::memory_order_release);
    }
}

bool Sender::WriteAll(const std::uint8_t* data, std::size_t size) {
    int pollsAfterStop = 0;
    while (size > 0) {
        if (unplug_) return false;
        const ssize_t n = ::write(master_, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            failed_ = true;
            return false;
        }
        if (stop_ && ++pollsAfterStop > kPollsAfterStop) return false;
        pollfd p{master_, POLLOUT, 0};
        (void)::poll(&p, 1, kPollMs);  // a time-out or an error: the write above says which
    }
    return true;
}

}  // namespace zorvane::bench
