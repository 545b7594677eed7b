#include "WindowImage.h"

#include <fstream>

namespace zorvane::e2e {

std::string ToString(const Rgb& c) {
    return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) +
           ")";
}

WindowImage::WindowImage(int width, int height, std::vector<Rgb> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

Rgb WindowImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

bool WindowImage::SavePpm(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width_ << " " << height_ << "\n255\n";
    for (const Rgb& c : pixels_) {
        const char bytes[3] = {static_cast<char>(c.r), static_cast<char>(c.g),
                               static_cast<char>(c.b)};
        out.write(bytes, 3);
    }
    return static_cast<bool>(out);
}

}  // namespace zorvane::e2e
