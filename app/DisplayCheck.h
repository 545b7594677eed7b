#pragma once

#include <QtGlobal>
#include <optional>

namespace zorvane {

// Without a display Qt aborts, and its words suggest reinstalling. The program says instead that
// there is no display to show its window on, naming DISPLAY and WAYLAND_DISPLAY, and ends with
// status 1.

// Says so, and returns 1, when neither variable names a display for a platform that needs one
// (QT_QPA_PLATFORM unset, xcb or wayland); nothing when the window may go on to be made.
std::optional<int> RefuseWithoutDisplay();

// While this lives, a fatal message from Qt (the display named could not be reached) says so
// too and ends the program with status 1 instead of an abort. For the making of QApplication.
class DisplayFailureGuard {
  public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;

  private:
    QtMessageHandler previous_;
};

}  // namespace zorvane
