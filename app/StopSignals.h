#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "StopRequest.h"

namespace zorvane {

// A stop request (SIGTERM, SIGINT, SIGHUP) becomes a call to `onStop` on the user-interface
// thread, so that the program ends its normal way.
class StopSignals {
  public:
    explicit StopSignals(std::function<void()> onStop);
    bool Requested() const { return request_.Requested(); }

  private:
    StopRequest request_;
    std::unique_ptr<QSocketNotifier> notifier_;  // null without a wake-up pipe
};

}  // namespace zorvane
