#pragma once

#include <memory>
#include <string>

#include "Child.h"

namespace zorvane::e2e {

// A private X server on a display number it picks itself (-displayfd), 1024 x 768, 24 bits.
// -noreset: without it the server resets when its last client leaves, and a client started at
// that moment intermittently fails to connect.
class Xvfb {
  public:
    Xvfb();
    bool Ok() const { return !display_.empty(); }
    // ":N", or empty when the server did not come up.
    const std::string& Display() const { return display_; }
    // Why it did not come up.
    const std::string& Error() const { return error_; }

  private:
    std::unique_ptr<Child> server_;
    std::string display_;
    std::string error_;
};

}  // namespace zorvane::e2e
