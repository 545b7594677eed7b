#include "MainLayout.h"

#include <array>

#include "NamesScan.h"

namespace zorvane::layout {

namespace {
// Upper panel: RT7720 lamps 41..64; lower panel: PLC lamps 1..40. Eight rows each.
constexpr int kPlcLamps = 40;
constexpr std::array<int, 5> kColumns{24, 176, 328, 480, 632};
constexpr int kUpperTop = 80;
constexpr int kLowerTop = 336;

QPoint GridPos(int indexInPanel, int panelTop) {
    const int column = indexInPanel / 8;
    const int row = indexInPanel % 8;
    return {kColumns[column], panelTop + kRowPitch * row};
}
}  // namespace

QPoint LampPos(int lamp) {
    if (lamp <= kPlcLamps) return GridPos(lamp - 1, kLowerTop);
    return GridPos(lamp - kPlcLamps - 1, kUpperTop);
}

QPoint NameLabelPos(int label) {
    return LampPos(LampBesideName(label)) + QPoint(kNameGap, 0);
}

}  // namespace zorvane::layout
