#pragma once

#include <string>
#include <vector>

namespace zorvane::e2e {

// Types keys into a window the way a person does: focus it, then press (xdotool, XTEST).
class Keys {
  public:
    explicit Keys(std::string display);
    static bool Available();
    // `keys` are xdotool key names ("Return", "Tab", "Down", "Escape", "n"). False when xdotool
    // failed or hung.
    bool Press(unsigned long window, const std::vector<std::string>& keys) const;

  private:
    std::string display_;
};

}  // namespace zorvane::e2e
