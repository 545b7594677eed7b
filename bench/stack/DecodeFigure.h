#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvane::bench {

struct DecodeResult {
    double megabytesPerSecond = 0;
    std::uint64_t frames = 0;    // frames the receiver completed
    std::uint64_t expected = 0;  // frames in the stream
};

// The receiver alone, byte by byte as the reader feeds it, over `bytes` of numbered frames.
DecodeResult MeasureDecode(std::size_t bytes);

}  // namespace zorvane::bench
