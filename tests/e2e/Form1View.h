#pragma once

#include <optional>
#include <string>

#include "Pty.h"
#include "WindowImage.h"

namespace zorvane::e2e {

inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGreen{0, 255, 0};

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Reads Form1's state off a capture of its window, by the layout a person sees: the lamp grid
// of both panels, the name labels beside the lamps and the link indicator.
class Form1View {
  public:
    explicit Form1View(const WindowImage& image) : image_(image) {}

    // Where lamp n (1..64) stands.
    static Box Lamp(int n);
    // Empty when every lamp shows its bit of `data`, else which lamps do not.
    std::string LampMismatches(const FrameData& data) const;
    // Empty when every lamp is a disc: its bounding box's corners show the window, not the fill.
    std::string NotRoundLamps() const;

    // Ink of text in the row band beside lamp n's left edge + 24 (where its name belongs).
    std::optional<Box> NameInkBeside(int lamp) const;

    enum class Link { Alive, Silent, Other };
    // Alive: green and nothing drawn over it; Silent: red with the warning over it.
    Link Indicator() const;
    // Ink of the warning text inside the red indicator (empty when none or not red).
    std::optional<Box> WarningInk() const;

    // The box around the "ink" inside `area` (clipped to the image): pixels that differ from
    // `background` by more than antialiasing noise.
    std::optional<Box> Ink(const Box& area, const Rgb& background) const;

  private:
    const WindowImage& image_;
};

// The indicator `prijem` and the box its warning is centred on.
inline constexpr Box kPrijem{520, 48, 161, 57};
inline constexpr Box kWarningBox{536, 64, 126, 20};

// Lamp n is lit when bit n of D0..D4 E0..E2 is set (lamp 1 = bit 0 of D0).
bool LampLit(const FrameData& data, int lamp);

}  // namespace zorvane::e2e
