#include "MainLayout.h"

#include <algorithm>
#include <array>

#include "Frame.h"
#include "NamesScan.h"

namespace zorvane::layout {

namespace {
// Upper panel: RT7720 lamps 41..64; lower panel: PLC lamps 1..40. Eight rows each.
constexpr int kPlcLamps = 40;
constexpr int kRows = 8;
constexpr std::array<int, 5> kColumns{24, 176, 328, 480, 632};
constexpr int kUpperTop = 80;
constexpr int kLowerTop = 336;

QPoint GridPos(int indexInPanel, int panelTop) {
    const int column = indexInPanel / kRows;
    const int row = indexInPanel % kRows;
    return {kColumns[column], panelTop + kRowPitch * row};
}
}  // namespace

QPoint LampPos(int lamp) {
    if (lamp <= kPlcLamps) return GridPos(lamp - 1, kLowerTop);
    return GridPos(lamp - kPlcLamps - 1, kUpperTop);
}

int LampAt(QPoint pos) {
    const auto column = std::ranges::find(kColumns, pos.x()) - kColumns.begin();
    const struct {
        int top, firstLamp, lamps;
    } panels[] = {{kLowerTop, 1, kPlcLamps}, {kUpperTop, kPlcLamps + 1, kLampCount - kPlcLamps}};
    for (const auto& panel : panels) {
        const int below = pos.y() - panel.top;
        if (below < 0 || below % kRowPitch != 0 || below / kRowPitch >= kRows) continue;
        const auto index = column * kRows + below / kRowPitch;
        if (index < panel.lamps) return panel.firstLamp + static_cast<int>(index);
    }
    return 0;
}

QPoint NameLabelPos(int label) {
    return LampPos(LampBesideName(label)) + QPoint(kNameGap, 0);
}

}  // namespace zorvane::layout
