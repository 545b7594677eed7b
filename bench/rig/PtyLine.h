#pragma once

#include <string>

#include "UniqueFd.h"

namespace zorvane::bench {

// The far end of a simulated serial line: a pseudo-terminal master whose slave a monitor opens
// as its port. Raw from the start, so nothing the sender writes is echoed or translated even
// before the monitor configures the line.
class PtyLine {
  public:
    PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool Ok() const { return master_.Valid(); }
    int Master() const { return master_.Get(); }
    const std::string& Slave() const { return slave_; }
    // "Unplugs" the line: the monitor's reads fail from now on.
    void CloseMaster() { master_.Reset(); }
    // Gives up ownership of the master, e.g. to a sender that will close it itself.
    int ReleaseMaster() { return master_.Release(); }

  private:
    UniqueFd master_;
    std::string slave_;
};

}  // namespace zorvane::bench
