#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvane::bench {

struct DecodeResult {
    double megabytesPerSecond = 0;
    std::uint64_t frames = 0;    // frames the receiver completed
    std::uint64_t expected = 0;  // frames in the stream
};

// The receiver alone, byte by byte as the reader feeds it, over `bytes` of numbered frames.
DecodeResult MeasureDecode(std::size_t bytes);

// What a capture holds, as zorvane-sim's patterns of that name send it at the line rate.
enum class CapturePattern { Random, Walk };

struct ToolResult {
    double megabytesPerSecond = 0;  // capture bytes per second of the tool's CPU time
    double cpuSeconds = 0;          // user and system
    std::string error;              // set when the figure could not be taken
};

// The real zorvane-decode (`program`) with `options` on a capture of about `bytes`, written to
// a temporary file first; its output goes to /dev/null.
ToolResult MeasureDecodeTool(const std::string& program, const std::vector<std::string>& options,
                             CapturePattern pattern, std::size_t bytes);

}  // namespace zorvane::bench
