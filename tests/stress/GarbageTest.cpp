// Noise on the line: megabytes of random bytes, then clean frames. Nothing breaks, and the
// receiver finds the frames again within a few.
#include <chrono>
#include <iostream>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "EventWait.h"
#include "MonitorStack.h"
#include "PortDir.h"
#include "PtyLine.h"
#include "Sender.h"

namespace zorvane::bench {
namespace {

using namespace std::chrono_literals;

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define ZORVANE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define ZORVANE_SANITIZED 1
#endif
#endif

// Through the reader from memory (the port layer passes bytes through whatever they are)...
#ifdef ZORVANE_SANITIZED
// A sanitizer makes every byte 10 to 40 times dearer; a megabyte still gives hundreds of bogus
// frames and hand-offs for it to watch.
constexpr std::size_t kGarbageBytes = 1u << 20;
#else
constexpr std::size_t kGarbageBytes = 10u << 20;
#endif
// ...and through the real pseudo-terminal, where each byte costs a read call.
constexpr std::size_t kLineGarbageBytes = 256u << 10;
constexpr std::uint64_t kCleanFrames = 300;
// A rejected first block slides by five bytes, so it lines up with a 12-byte frame within
// 60 bytes; a chance checksum match inside the frames costs a frame or two more.
constexpr std::uint64_t kMostFramesLostToResync = 10;

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

// The opened port, behind bytes that arrive first.
class NoiseFirst final : public ByteSource {
  public:
    NoiseFirst(std::vector<std::uint8_t> noise, std::unique_ptr<ByteSource> port)
        : noise_(std::move(noise)), port_(std::move(port)) {}

    bool ReadByte(std::uint8_t& out) override {
        if (next_ < noise_.size()) {
            out = noise_[next_++];
            return true;
        }
        return port_->ReadByte(out);
    }

  private:
    std::vector<std::uint8_t> noise_;
    std::size_t next_ = 0;
    std::unique_ptr<ByteSource> port_;
};

TEST(Garbage, TenMegabytesOfNoiseThenCleanFramesAreShownAgain) {
    PtyLine line;
    if (!line.Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works";
    PortDir dir(line.Slave());
    MonitorStack stack([](std::unique_ptr<ByteSource> port) {
        return std::make_unique<NoiseFirst>(RandomBytes(kGarbageBytes, 1), std::move(port));
    });
    ASSERT_TRUE(stack.OpenNow(5s));

    SendPlan plan;
    plan.preamble = RandomBytes(kLineGarbageBytes, 2);
    plan.frameLimit = kCleanFrames;
    Sender sender(line.Master(), plan);
    const auto started = std::chrono::steady_clock::now();
    // Frames from the noise carry no valid number; the last clean frame does.
    const bool last = WaitFor([&] { return stack.Tally().NextExpected() == kCleanFrames; }, 100s);
    const auto took = std::chrono::steady_clock::now() - started;

    const auto counts = stack.Tally().Snapshot();
    EXPECT_TRUE(last) << "the last clean frame was never shown";
    EXPECT_GE(counts.inOrder, kCleanFrames - kMostFramesLostToResync);
    EXPECT_EQ(sender.Sent(), kCleanFrames);
    std::cout << "noise gave " << counts.bad << " bogus frames; " << counts.inOrder << " of "
              << kCleanFrames << " clean frames shown; "
              << std::chrono::duration<double>(took).count() << " s\n";
    stack.Close();
}

}  // namespace
}  // namespace zorvane::bench
