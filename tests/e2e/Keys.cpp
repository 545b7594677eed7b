#include "Keys.h"

#include <chrono>

#include "Child.h"

namespace zorvane::e2e {

Keys::Keys(std::string display) : display_(std::move(display)) {}

bool Keys::Available() {
    return !FindInPath("xdotool").empty();
}

bool Keys::Press(unsigned long window, const std::vector<std::string>& keys) const {
    ChildSpec spec;
    // Without a window manager the focus goes only where it is put.
    spec.argv = {FindInPath("xdotool"),
                 "windowfocus",
                 "--sync",
                 std::to_string(window),
                 "key",
                 "--delay",
                 "30"};
    spec.argv.insert(spec.argv.end(), keys.begin(), keys.end());
    spec.env = {{"DISPLAY", display_}};
    return RunToEnd(spec, std::chrono::seconds(10)) == 0;
}

}  // namespace zorvane::e2e
