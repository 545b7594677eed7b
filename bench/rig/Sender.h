#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace zorvane::bench {

struct SendPlan {
    double framesPerSecond = 0;  // 0: as fast as the line takes them
    bool spreadBytes = false;    // paced byte by byte, as a UART delivers them, not frame by frame
    // Paced frames handed over together at the end of every such period, as a USB adapter's
    // latency timer does; zero: each at its own time.
    std::chrono::milliseconds packet{0};
    std::uint64_t firstFrame = 0;
    std::uint64_t frameLimit = 0;        // 0: until stopped
    std::vector<std::uint8_t> preamble;  // sent first, unpaced (noise on the line, say)
};

// The transmitter: numbered frames (CounterFrames.h) written into a pseudo-terminal master from
// a thread of its own. Paced on an absolute schedule; behind it, frames go out at once to catch
// up, and none is ever skipped. A stop finishes the frame begun, so the next sender's first
// frame arrives whole.
class Sender {
  public:
    // Takes the master over when `ownsMaster` (then Unplug() closes it).
    Sender(int master, SendPlan plan, bool ownsMaster = false);
    ~Sender();
    Sender(const Sender&) = delete;
    Sender& operator=(const Sender&) = delete;

    // Stops after the current frame and waits for the thread. A sender may be waiting for the
    // reader, and the reader for the user-interface thread: that thread requests the stop and
    // keeps its event loop running until Finished(), then joins.
    void Stop();
    void RequestStop() { stop_ = true; }
    // Closes the master in the middle of streaming, wherever the writing stands.
    void Unplug();
    void RequestUnplug() { unplug_ = true; }
    // The thread has ended (frame limit reached, stopped, unplugged or the line failed).
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Waits for the thread.
    void Join();

    // Frames written whole so far.
    std::uint64_t Sent() const { return sent_.load(std::memory_order_acquire); }
    std::uint64_t NextFrame() const { return plan_.firstFrame + Sent(); }
    // After Join: this thread's CPU time, and how far behind its schedule it fell at worst.
    std::chrono::nanoseconds CpuTime() const { return cpu_; }
    std::chrono::nanoseconds WorstLag() const { return worstLag_; }
    // After Join: the line refused writes (the far end is gone) before the plan was done.
    bool LineFailed() const { return failed_; }

  private:
    void Run();
    void RunUnpaced();
    void RunPaced();
    void RunPacketed();
    // Writes all of [data, data+size) unless the line fails or an unplug comes; false then.
    bool WriteAll(const std::uint8_t* data, std::size_t size);
    bool Done() const;

    int master_;
    SendPlan plan_;
    bool ownsMaster_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> unplug_{false};
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<bool> finished_{false};
    std::chrono::nanoseconds cpu_{0};
    std::chrono::nanoseconds worstLag_{0};
    bool failed_ = false;
    std::thread thread_;  // last: starts once the rest exists
};

}  // namespace zorvane::bench
