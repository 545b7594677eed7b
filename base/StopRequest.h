#pragma once

#include <signal.h>

#include <array>

#include "UniqueFd.h"

namespace zorvane {

// SIGTERM, SIGINT and SIGHUP (a closed terminal or SSH session), which would end the program on
// the spot, only ask it to stop, so that it ends its own way: the port's settings put back, the
// record closed, status 0. A SIGHUP the program was started to ignore (nohup) stays ignored;
// SIGTERM and SIGINT are taken even then (a shell starts background jobs with SIGINT ignored,
// yet `kill -INT` is meant). One instance at a time; the destructor puts the signals' actions back.
class StopRequest {
  public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    bool Requested() const;
    // Readable once a stop has been asked for, for an event loop to wait on; -1 when there is
    // none (out of descriptors: Requested() still tells).
    int WakeFd() const { return read_.Get(); }
    // Empties WakeFd(), so that it waits again.
    void Drain() const;

  private:
    static constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

    UniqueFd read_;
    UniqueFd write_;
    std::array<struct sigaction, kSignals.size()> before_{};
    std::array<bool, kSignals.size()> taken_{};
};

}  // namespace zorvane
