#pragma once

#include "Pace.h"
#include "SimOptions.h"

namespace zorvane::sim {

// The pauses of --silence: the last quietMs of every everyMs, counted from the start of the run.
class Silence {
  public:
    explicit Silence(const SilenceSpec& spec)
        : quiet_(std::chrono::milliseconds(spec.quietMs)),
          every_(std::chrono::milliseconds(spec.everyMs)) {}

    bool Contains(Nanos t) const { return t % every_ >= every_ - quiet_; }
    // The end of the pause that holds `t`.
    Nanos ResumeAt(Nanos t) const { return (t / every_ + 1) * every_; }

  private:
    Nanos quiet_;
    Nanos every_;
};

}  // namespace zorvane::sim
