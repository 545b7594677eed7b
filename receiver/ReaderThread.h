#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ByteSource.h"
#include "FrameReceiver.h"
#include "HandOff.h"

namespace zorvane {

// The reader thread: reads the port, decodes frames and hands the complete ones, each with the
// status line of its last byte, to the user-interface thread, waiting until they have been
// shown. The frames one read completed go over together, in one visit of that thread, and are
// shown one by one in order. Starts running at once. The owner stops it with RequestStop() (plus
// HandOff::Cancel() when shutting down); the destructor requests the stop and joins, so the
// thread never outlives what it uses.
class ReaderThread {
  public:
    // Runs on the user-interface thread while the reader waits.
    using FrameHandler = std::function<void(const Frame& frame, const std::string& statusLine)>;

    // `readTimeout`: how long the source's read waits for a byte; a read that fails sooner is
    // waited out, so a gone port never makes the loop spin.
    ReaderThread(ByteSource& source, std::chrono::milliseconds readTimeout, HandOff& handOff,
                 FrameHandler showFrame);
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Noticed after the current read or hand-off returns.
    void RequestStop() { thread_.request_stop(); }
    // Waits up to `limit` for the loop to end; true when it has ended.
    bool WaitUntilEnded(std::chrono::milliseconds limit);

  private:
    struct CompleteFrame {
        Frame frame;
        std::string statusLine;
    };

    void ReadLoop(std::stop_token stop);
    void MarkEnded();

    ByteSource& source_;
    std::chrono::milliseconds readTimeout_;
    HandOff& handOff_;
    FrameHandler showFrame_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool ended_ = false;
    std::jthread thread_;  // last: starts after everything it uses exists, joins first
};

}  // namespace zorvane
