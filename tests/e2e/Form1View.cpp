#include "Form1View.h"

#include <algorithm>
#include <cstdlib>

namespace zorvane::e2e {

namespace {

constexpr int kLampSide = 17;
constexpr int kNameGap = 24;
constexpr int kColumnPitch = 152;
constexpr int kRowPitch = 24;
// A name never reaches the next column's lamp.
constexpr int kNameBandWidth = kColumnPitch - kNameGap - 4;

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

}  // namespace

bool LampLit(const FrameData& data, int lamp) {
    return data.Lamp(lamp);
}

Box Form1View::Lamp(int n) {
    // Upper panel: RT7720 lamps 41..64 in three columns; lower panel: PLC lamps 1..40 in five.
    const bool upper = n > 40;
    const int index = upper ? n - 41 : n - 1;
    const int column = index / 8;
    const int row = index % 8;
    const int top = (upper ? 80 : 336) + kRowPitch * row;
    return {24 + kColumnPitch * column, top, kLampSide, kLampSide};
}

std::string Form1View::LampMismatches(const FrameData& data) const {
    std::string out;
    for (int n = 1; n <= 64; ++n) {
        const Box b = Lamp(n);
        const Rgb want = LampLit(data, n) ? kRed : kWhite;
        const Rgb got = image_.At(b.x + kLampSide / 2, b.y + kLampSide / 2);
        if (got != want) out += " Shape" + std::to_string(n) + "=" + ToString(got);
    }
    return out;
}

std::string Form1View::NotRoundLamps() const {
    std::string out;
    for (int n = 1; n <= 64; ++n) {
        const Box b = Lamp(n);
        const Rgb fill = image_.At(b.x + kLampSide / 2, b.y + kLampSide / 2);
        const int far = kLampSide - 2;
        for (const auto& [dx, dy] : {std::pair{1, 1}, {far, 1}, {1, far}, {far, far}}) {
            if (image_.At(b.x + dx, b.y + dy) == fill) {
                out += " Shape" + std::to_string(n);
                break;
            }
        }
    }
    return out;
}

std::optional<Box> Form1View::NameInkBeside(int lamp) const {
    const Box b = Lamp(lamp);
    const Box band{b.x + kNameGap, b.y - 2, kNameBandWidth, kRowPitch - 2};
    // The window's own colour: just left of the lamp, where nothing is drawn.
    return Ink(band, image_.At(b.x - 4, b.y + kLampSide / 2));
}

Form1View::Link Form1View::Indicator() const {
    const Box inside{kPrijem.x + 1, kPrijem.y + 1, kPrijem.width - 2, kPrijem.height - 2};
    const Rgb corner = image_.At(inside.x + 2, inside.y + 2);
    if (corner == kGreen) return Ink(inside, kGreen) ? Link::Other : Link::Alive;
    if (corner == kRed) return WarningInk() ? Link::Silent : Link::Other;
    return Link::Other;
}

std::optional<Box> Form1View::WarningInk() const {
    const Box inside{kPrijem.x + 1, kPrijem.y + 1, kPrijem.width - 2, kPrijem.height - 2};
    if (image_.At(inside.x + 2, inside.y + 2) != kRed) return std::nullopt;
    return Ink(inside, kRed);
}

std::optional<Box> Form1View::Ink(const Box& area, const Rgb& background) const {
    int left = area.x + area.width;
    int top = area.y + area.height;
    int right = -1;
    int bottom = -1;
    const int xEnd = std::min(area.x + area.width, image_.Width());
    const int yEnd = std::min(area.y + area.height, image_.Height());
    for (int y = std::max(area.y, 0); y < yEnd; ++y) {
        for (int x = std::max(area.x, 0); x < xEnd; ++x) {
            if (Near(image_.At(x, y), background, 40)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return std::nullopt;
    return Box{left, top, right - left + 1, bottom - top + 1};
}

}  // namespace zorvane::e2e
