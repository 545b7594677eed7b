#include "Frame.h"

namespace zorvane {

bool CheckSum5(const std::uint8_t* p) {
    const std::uint8_t sum = p[0] + p[1] + p[2] + p[3] + p[4];
    return sum == p[5];
}

bool CheckSum3(const std::uint8_t* p) {
    const std::uint8_t sum = p[0] + p[1] + p[2];
    return sum == p[3];
}

bool LampBit(const Frame& frame, int lamp) {
    const int index = lamp - 1;
    const std::size_t byte = index < 40 ? kPlcPos + index / 8 : kRtPos + (index - 40) / 8;
    return (frame[byte] >> (index % 8)) & 1u;
}

}  // namespace zorvane
