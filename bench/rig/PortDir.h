#pragma once

#include <string>

namespace zorvane::bench {

// A fresh temporary directory that is the current directory while this lives, holding the
// COM1 link the monitor opens. Aborts rather than run on in the wrong directory: there "COM1"
// would map to a real serial device.
class PortDir {
  public:
    // COM1 -> `device`; names.ini copied from `namesFile` unless it is empty.
    explicit PortDir(const std::string& device, const std::string& namesFile = {});
    ~PortDir();
    PortDir(const PortDir&) = delete;
    PortDir& operator=(const PortDir&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::string previous_;
};

}  // namespace zorvane::bench
