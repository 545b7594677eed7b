// Prints receiver throughput and the hand-off round trip; figures only, no pass/fail.
#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "DecodeStep.h"
#include "FrameEncoder.h"
#include "HandOff.h"

using namespace zorvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kLineBytesPerSecond = 57600.0 / 11.0;

std::vector<std::uint8_t> GenerateFrames(std::size_t bytes) {
    std::mt19937 rng(1);
    std::vector<std::uint8_t> out;
    out.reserve(bytes + kWireFrameBytes);
    while (out.size() < bytes) {
        std::array<std::uint8_t, 5> plc;
        std::array<std::uint8_t, 3> rt;
        for (auto& b : plc)
            b = static_cast<std::uint8_t>(rng());
        for (auto& b : rt)
            b = static_cast<std::uint8_t>(rng());
        const WireFrame w = EncodeFrame(plc, rt);
        out.insert(out.end(), w.begin(), w.end());
    }
    return out;
}

void BenchDecode() {
    const auto stream = GenerateFrames(64u << 20);
    FrameReceiver receiver;
    std::size_t frames = 0;
    const auto start = Clock::now();
    for (std::uint8_t b : stream)
        frames += DecodeStep(receiver, b).completed;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double mbps = stream.size() / seconds / 1e6;
    std::printf("decode: %.0f MB/s (%.0fx the line rate), %zu frames\n", mbps,
                stream.size() / seconds / kLineBytesPerSecond, frames);
}

void BenchHandOff(QCoreApplication& app) {
    constexpr int kCalls = 20000;
    HandOff handOff([&app](std::function<void()> fn) {
        QMetaObject::invokeMethod(&app, std::move(fn), Qt::QueuedConnection);
    });
    std::vector<double> micros;
    micros.reserve(kCalls);
    std::thread reader([&] {
        for (int i = 0; i < kCalls; ++i) {
            const auto start = Clock::now();
            handOff.Call([] {});
            micros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        QMetaObject::invokeMethod(
            &app, [&app] { app.quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    reader.join();
    std::sort(micros.begin(), micros.end());
    std::printf("handoff: median %.1f us, p99 %.1f us (%d calls)\n", micros[micros.size() / 2],
                micros[micros.size() * 99 / 100], kCalls);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchDecode();
    BenchHandOff(app);
    return 0;
}
