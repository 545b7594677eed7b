#pragma once

#include <termios.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "Frame.h"
#include "UniqueFd.h"

namespace zorvane::e2e {

using FrameData = Frame;

// A pseudo-terminal of the test's own: the program gets the slave through a COMn link, the test
// keeps the master and one slave descriptor (to read the slave's settings at any time).
class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return slave_.Valid(); }
    const std::string& SlavePath() const { return slavePath_; }
    termios Settings() const;
    bool SetSettings(const termios& tio) const;
    // Sends `data` from the master, a frame every `periodUs`, until StopStreaming.
    void StartStreaming(const FrameData& data, int periodUs);
    void StopStreaming();
    std::uint64_t FramesSent() const { return sent_; }

  private:
    void Stream(WireBytes bytes, int periodUs);

    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> sent_{0};
    std::thread streamer_;
};

}  // namespace zorvane::e2e
