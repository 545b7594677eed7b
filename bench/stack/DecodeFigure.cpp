#include "DecodeFigure.h"

#include <chrono>
#include <vector>

#include "CounterFrames.h"
#include "FrameReceiver.h"

namespace zorvane::bench {

DecodeResult MeasureDecode(std::size_t bytes) {
    DecodeResult r;
    std::vector<std::uint8_t> stream;
    stream.reserve(bytes + kWireFrameBytes);
    while (stream.size() < bytes) {
        const WireBytes w = bench::CounterFrame(r.expected++);
        stream.insert(stream.end(), w.begin(), w.end());
    }
    FrameReceiver receiver;
    const auto started = std::chrono::steady_clock::now();
    for (const std::uint8_t b : stream)
        r.frames += DecodeByte(receiver, b).completed;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    r.megabytesPerSecond = static_cast<double>(stream.size()) / seconds / 1e6;
    return r;
}

}  // namespace zorvane::bench
