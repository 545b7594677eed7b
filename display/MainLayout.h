#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Positions of Form1's controls in its client area.
namespace zorvane::layout {

// What an outer 791 x 597 window leaves inside a common frame (8-pixel borders, 31-pixel
// caption); Edit3 ends at y = 557.
inline constexpr QSize kClientSize{775, 558};

inline constexpr QSize kLampSize{17, 17};
inline constexpr int kRowPitch = 24;
inline constexpr int kNameGap = 24;  // lamp left edge to its name label

// Top-left of lamp `Shape`n, n = 1..64.
QPoint LampPos(int lamp);
// The lamp whose top-left is `pos`, or 0 when none is.
int LampAt(QPoint pos);
// Top-left of name label `Label`n, n = 1..64: beside its own lamp, except that Label25 and
// Label26 trade rows (names files were written for that arrangement).
QPoint NameLabelPos(int label);

inline constexpr QPoint kLabel66{24, 16};  // "RT7720"
inline constexpr QPoint kLabel67{24, 48};
inline constexpr QRect kEdit2{176, 48, 121, 21};
inline constexpr QRect kPrijem{520, 48, 161, 57};
// The warning's box over the indicator; its caption is centred on this box.
inline constexpr QRect kLabel69Box{536, 64, 126, 20};
inline constexpr QPoint kLabel65{24, 280};  // "PLC"
inline constexpr QPoint kLabel68{24, 312};
inline constexpr QRect kEdit1{176, 312, 121, 21};
inline constexpr QRect kEdit3{32, 536, 657, 21};

}  // namespace zorvane::layout
