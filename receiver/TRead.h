#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "ByteSource.h"
#include "FrameReceiver.h"
#include "HandOff.h"
#include "StopSignal.h"

namespace zorvane {

// The reader thread: reads one byte at a time, decodes frames and hands each complete frame
// to the user-interface thread, waiting until it has been shown. Starts running at once.
// The owner stops it with Terminate() (plus HandOff::Cancel() when shutting down); the
// destructor requests termination and joins, so the thread never outlives what it uses.
class TRead {
  public:
    using ShowFrameFn = std::function<void(const TRead&)>;

    TRead(ByteSource& source, HandOff& handOff, ShowFrameFn showFrame);
    ~TRead();
    TRead(const TRead&) = delete;
    TRead& operator=(const TRead&) = delete;

    // Terminate request: noticed after the current read or hand-off returns.
    void Terminate();
    // Waits up to `limit` for the loop to end; true when it has ended.
    bool WaitFor(std::chrono::milliseconds limit);

    // Valid to read from ShowFrame (the reader is blocked meanwhile).
    const Frame& FrameBuffer() const { return receiver_.FrameBuffer(); }

  private:
    void ReadLoop();
    void MarkEnded();

    ByteSource& source_;
    HandOff& handOff_;
    ShowFrameFn showFrame_;
    FrameReceiver receiver_;
    StopSignal stop_;
    std::mutex endMutex_;
    std::condition_variable endChanged_;
    bool ended_ = false;
    std::thread thread_;  // last: starts after everything it uses exists
};

}  // namespace zorvane
