#include "DecodeFigure.h"

#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <random>

#include "ChildProcess.h"
#include "CounterFrames.h"
#include "FrameReceiver.h"
#include "LineSettings.h"

namespace zorvane::bench {

namespace {

using namespace std::chrono_literals;

constexpr auto kToolLimit = 60s;

// zorvane-sim's walk moves its lamp every tenth of a second at the line rate.
constexpr std::uint64_t kWalkFramesPerLamp = 44;

Frame PatternFrame(CapturePattern pattern, std::uint64_t n, std::mt19937_64& random) {
    const std::uint64_t word = pattern == CapturePattern::Random
                                   ? random()
                                   : std::uint64_t{1} << (n / kWalkFramesPerLamp % kLampCount);
    Frame frame;
    for (std::size_t i = 0; i < frame.data.size(); ++i)
        frame.data[i] = static_cast<std::uint8_t>(word >> (8 * i));
    return frame;
}

// Whole frames, at least `bytes` of them; returns how many bytes, or 0 when writing failed.
std::size_t WriteCapture(const std::string& path, CapturePattern pattern, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 random;
    std::size_t written = 0;
    for (std::uint64_t n = 0; written < bytes && out; ++n, written += kWireFrameBytes) {
        const WireBytes w = EncodeFrame(PatternFrame(pattern, n, random));
        out.write(reinterpret_cast<const char*>(w.data()), w.size());
    }
    out.close();
    return out.fail() ? 0 : written;
}

}  // namespace

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

ToolResult MeasureDecodeTool(const std::string& program, const std::vector<std::string>& options,
                             CapturePattern pattern, std::size_t bytes) {
    ToolResult r;
    const QTemporaryDir dir;
    const std::string capture = dir.filePath("capture.bin").toStdString();
    const std::size_t written = dir.isValid() ? WriteCapture(capture, pattern, bytes) : 0;
    if (written == 0) {
        r.error = "cannot write a capture";
        return r;
    }
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(capture);
    ChildProcess tool(argv, dir.path().toStdString(), Environment());
    if (tool.WaitForExit(kToolLimit) != 0) {
        r.error = "zorvane-decode failed";
        return r;
    }
    r.cpuSeconds = std::chrono::duration<double>(tool.CpuTime()).count();
    r.megabytesPerSecond = static_cast<double>(written) / r.cpuSeconds / 1e6;
    return r;
}

}  // namespace zorvane::bench
