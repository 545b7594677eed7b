#include "Frame.h"

#include <algorithm>
#include <numeric>

namespace zorvane {

void Frame::SetLamp(int n, bool on) {
    const auto bit = static_cast<std::uint8_t>(1u << ((n - 1) % 8));
    std::uint8_t& byte = data[(n - 1) / 8];
    byte = on ? byte | bit : byte & ~bit;
}

WireBytes EncodeFrame(const Frame& frame) {
    const auto plc = frame.Plc();
    const auto rt = frame.Rt();
    WireBytes w{};
    w[0] = kBlockStart;
    std::copy(plc.begin(), plc.end(), w.begin() + 1);
    w[6] = std::accumulate(plc.begin(), plc.end(), std::uint8_t{0});
    w[7] = kBlockStart;
    std::copy(rt.begin(), rt.end(), w.begin() + 8);
    w[11] = std::accumulate(rt.begin(), rt.end(), std::uint8_t{0});
    return w;
}

}  // namespace zorvane
