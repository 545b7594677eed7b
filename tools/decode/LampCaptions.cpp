#include "LampCaptions.h"

namespace zorvane {

namespace {

int LabelBeside(int lamp) {
    if (lamp == 25) return 26;
    if (lamp == 26) return 25;
    return lamp;
}

}  // namespace

LampCaptions CaptionsBesideLamps(const NamesScan& scan) {
    LampCaptions captions;
    for (int lamp = 1; lamp <= kLampCount; ++lamp) {
        const auto& name = scan.captions[LabelBeside(lamp) - 1];
        if (!name) continue;
        for (const char c : *name)
            if (c != '\r' && c != '\n') captions[lamp - 1] += c;
    }
    return captions;
}

}  // namespace zorvane
