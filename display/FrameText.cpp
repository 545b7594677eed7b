#include "FrameText.h"

#include <cstdio>

namespace zorvane {

QString PlcHexText(const Frame& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%0x %0x %0x %0x %0x ", f[kPlcPos], f[kPlcPos + 1],
                  f[kPlcPos + 2], f[kPlcPos + 3], f[kPlcPos + 4]);
    return QString::fromLatin1(text);
}

QString RtHexText(const Frame& f) {
    char text[16];
    std::snprintf(text, sizeof text, "%0x %0x %0x", f[kRtPos], f[kRtPos + 1], f[kRtPos + 2]);
    return QString::fromLatin1(text);
}

}  // namespace zorvane
