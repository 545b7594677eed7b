#include "FrameEncoder.h"

#include "Frame.h"

namespace zorvane {

WireFrame EncodeFrame(const std::array<std::uint8_t, 5>& plc,
                      const std::array<std::uint8_t, 3>& rt) {
    WireFrame w{};
    w[0] = kBlockStart;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < plc.size(); ++i)
        sum += (w[1 + i] = plc[i]);
    w[6] = sum;
    w[7] = kBlockStart;
    sum = 0;
    for (std::size_t i = 0; i < rt.size(); ++i)
        sum += (w[8 + i] = rt[i]);
    w[11] = sum;
    return w;
}

}  // namespace zorvane
