#pragma once

#include <optional>
#include <string>
#include <vector>

#include "WindowImage.h"

struct _XDisplay;

namespace zorvane::e2e {

// A top-level window as the X server sees it.
struct TopWindow {
    unsigned long id = 0;
    std::string title;    // _NET_WM_NAME, else WM_NAME
    bool dialog = false;  // _NET_WM_WINDOW_TYPE_DIALOG
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The test's own Xlib connection: finds windows, captures pixels, asks a window to close.
class XDisplay {
  public:
    explicit XDisplay(const std::string& name);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool Ok() const { return display_ != nullptr; }
    // The mapped top-level windows, bottom to top.
    std::vector<TopWindow> Visible();
    // The pixels of a mapped window, or an empty image when it is gone.
    WindowImage Capture(unsigned long window);
    // What a window manager sends when the user closes a window: a WM_DELETE_WINDOW message.
    bool RequestClose(unsigned long window);

  private:
    std::optional<TopWindow> Describe(unsigned long window);
    std::string Title(unsigned long window);
    bool IsDialog(unsigned long window);

    _XDisplay* display_ = nullptr;
};

}  // namespace zorvane::e2e
