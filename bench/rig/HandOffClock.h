#pragma once

#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "ByteSource.h"
#include "FrameTally.h"

namespace zorvane::bench {

// Round trips of the reader's hand-off, in microseconds, gathered on the reader thread.
class HandOffLog {
  public:
    void Add(double micros);
    // Everything gathered since the last call.
    std::vector<double> Take();

    // The reader thread's CPU time so far (zero until it has read once).
    std::chrono::nanoseconds ReaderCpu() const;
    void NoteReaderThread();

  private:
    std::mutex mutex_;
    std::vector<double> micros_;
    std::atomic<bool> haveReader_{false};
    clockid_t readerClock_{};
};

// Wraps the opened port. The reader takes a read's bytes from here, hands the frames they
// complete over and comes back for the next read only once ShowFrame has returned for all of
// them; when frames were shown in between, the time from the read to the last ShowFrame's
// return is the round trip of the hand-off (plus decoding the read, well under a microsecond).
class HandOffClock final : public ByteSource {
  public:
    HandOffClock(std::unique_ptr<ByteSource> port, const bench::FrameTally& tally, HandOffLog& log)
        : port_(std::move(port)), tally_(tally), log_(log) {}

    std::span<const std::uint8_t> Read() override;
    void AwaitBytes(std::chrono::milliseconds limit) override { port_->AwaitBytes(limit); }
    std::optional<DriverErrors> ErrorCounts() override { return port_->ErrorCounts(); }

  private:
    std::unique_ptr<ByteSource> port_;
    const bench::FrameTally& tally_;
    HandOffLog& log_;
    bool first_ = true;
    std::uint64_t shownBefore_ = 0;
    std::chrono::steady_clock::time_point lastRead_{};
};

}  // namespace zorvane::bench
