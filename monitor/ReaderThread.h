#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ByteSource.h"
#include "HandOff.h"
#include "LineCore.h"

namespace zorvane {

// The reader thread: reads the port and tells the line core what each read brought. What one
// read made of the line (frames, the link, the port) goes to the user-interface thread in one
// visit and is shown there event by event, in order, while the reader waits. Starts running at
// once. The owner stops it with RequestStop() (plus HandOff::Cancel() when shutting down); the
// destructor requests the stop and joins, so the thread never outlives what it uses.
class ReaderThread {
  public:
    // Run on the user-interface thread while the reader waits.
    using EventHandler = std::function<void(const LineEvent& event)>;
    using HealthHandler = std::function<void(const LineHealth& health)>;

    // `readTimeout`: how long the source's read waits for bytes; a read that fails sooner is
    // waited out, so a gone port never makes the loop spin. `line` is this thread's alone from
    // now on (the port tells it of its losses from inside the reads).
    ReaderThread(ByteSource& source, std::chrono::milliseconds readTimeout, LineCore& line,
                 HandOff& handOff, EventHandler show, HealthHandler showHealth = {});
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Noticed after the current read or hand-off returns.
    void RequestStop() { thread_.request_stop(); }
    // Waits up to `limit` for the loop to end; true when it has ended.
    bool WaitUntilEnded(std::chrono::milliseconds limit);

    // Any thread: when the latest frame read crossed the line, shown or not yet.
    std::optional<std::chrono::steady_clock::time_point> LatestFrameTime() const;

  private:
    // What one read made of the line, for one hand-off.
    struct Batch final : LineConsumer {
        void Event(const LineEvent& event) override;
        void Health(const LineHealth& now, const Moment&) override { health = now; }
        bool Empty() const { return events.empty() && !health; }
        std::vector<LineEvent> events;
        std::optional<LineHealth> health;
        std::atomic<std::chrono::steady_clock::rep> latestFrame{0};  // 0: none yet
    };

    void ReadLoop(std::stop_token stop);
    void MarkEnded();

    ByteSource& source_;
    std::chrono::milliseconds readTimeout_;
    LineCore& line_;
    HandOff& handOff_;
    EventHandler show_;
    HealthHandler showHealth_;
    Batch batch_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool ended_ = false;
    std::jthread thread_;  // last: joins before what it uses goes
};

}  // namespace zorvane
