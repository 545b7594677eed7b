#include "FrameText.h"

#include <cstdio>

namespace zorvane {

QString PlcHexText(const Frame& f) {
    const auto d = f.Plc();
    char text[32];
    std::snprintf(text, sizeof text, "%0x %0x %0x %0x %0x ", d[0], d[1], d[2], d[3], d[4]);
    return QString::fromLatin1(text);
}

QString RtHexText(const Frame& f) {
    const auto e = f.Rt();
    char text[16];
    std::snprintf(text, sizeof text, "%0x %0x %0x", e[0], e[1], e[2]);
    return QString::fromLatin1(text);
}

}  // namespace zorvane
