#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvane::e2e {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};
std::string ToString(const Rgb& c);

// One capture of a window's pixels; coordinates are the window's (its client area: there is
// no window manager to add a frame).
class WindowImage {
  public:
    WindowImage() = default;
    WindowImage(int width, int height, std::vector<Rgb> pixels);

    bool Empty() const { return pixels_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Outside the image: black.
    Rgb At(int x, int y) const;
    // Writes a binary PPM (for looking at a failure).
    bool SavePpm(const std::string& path) const;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

}  // namespace zorvane::e2e
