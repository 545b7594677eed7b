#pragma once

#include <signal.h>

#include <QSocketNotifier>
#include <array>
#include <functional>
#include <memory>

#include "UniqueFd.h"

namespace zorvane {

// SIGTERM, SIGINT and SIGHUP, which would end the program on the spot, become a call to `onStop`
// on the user-interface thread, so that the program ends its normal way. Signals the program was
// started with ignored stay ignored. One instance at a time.
class StopSignals {
  public:
    explicit StopSignals(std::function<void()> onStop);
    // The actions the signals had before.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    static constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

    UniqueFd read_;
    UniqueFd write_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<struct sigaction, kSignals.size()> before_{};
    std::array<bool, kSignals.size()> taken_{};
};

}  // namespace zorvane
