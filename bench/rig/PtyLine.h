#pragma once

#include <string>

namespace zorvane::bench {

// The far end of a simulated serial line: a pseudo-terminal master whose slave a monitor opens
// as its port. Raw from the start, so nothing the sender writes is echoed or translated even
// before the monitor configures the line.
class PtyLine {
  public:
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool Ok() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& Slave() const { return slave_; }
    // "Unplugs" the line: the monitor's reads fail from now on.
    void CloseMaster();
    // Gives up ownership of the master, e.g. to a sender that will close it itself.
    int ReleaseMaster();

  private:
    int master_ = -1;
    std::string slave_;
};

}  // namespace zorvane::bench
