#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "Corruption.h"
#include "Decode.h"
#include "Pace.h"
#include "Pattern.h"
#include "PatternFrames.h"
#include "ReplayFrames.h"
#include "TempDir.h"

namespace zorvane::sim {
namespace {

using simtest::DecodeFrames;
using simtest::LitLamps;

std::string Stream(PatternFrames& source, std::uint64_t frames) {
    std::string bytes;
    for (std::uint64_t i = 0; i < frames; ++i) {
        const auto slot = source.Next();
        bytes.append(slot.begin(), slot.end());
    }
    return bytes;
}

TEST(Pattern, WalkLightsEveryLampInTurnAsTheMonitorSeesIt) {
    const std::uint64_t perLamp = WalkFramesPerLamp(Pace::LineRate().FramesPerSecond());
    PatternFrames source({PatternSpec{}, perLamp, false, 0.0, 1});
    const auto frames = DecodeFrames(Stream(source, 65 * perLamp));
    ASSERT_EQ(frames.size(), 65 * perLamp);
    std::vector<int> order;
    for (const auto& f : frames) {
        const auto lit = LitLamps(f);
        ASSERT_EQ(lit.size(), 1u);
        if (order.empty() || order.back() != lit[0]) order.push_back(lit[0]);
    }
    std::vector<int> want(64);
    for (int i = 0; i < 64; ++i)
        want[i] = i + 1;
    want.push_back(1);  // and round again
    EXPECT_EQ(order, want);
}

TEST(Pattern, WalkDwellsAboutATenthOfASecondPerLampAtAnyRate) {
    const struct {
        double fps;
        std::uint64_t perLamp;
    } cases[] = {{4800.0 / 11, 44}, {1000, 100}, {100, 10}, {10, 1}, {0.5, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(WalkFramesPerLamp(c.fps), c.perLamp) << c.fps;
}

TEST(Pattern, CountPutsCounterBitKOnLampKPlusOne) {
    const std::uint64_t n = 0x8000'0100'0000'0005ull;  // bits 0, 2, 40, 63
    const FrameData d = PatternFrame({PatternKind::Count, {}}, n, 1, 1);
    PatternFrames encoded(
        {{PatternKind::Fixed,
          {d.plc[0], d.plc[1], d.plc[2], d.plc[3], d.plc[4], d.rt[0], d.rt[1], d.rt[2]}},
         1,
         false,
         0.0,
         1});
    const auto frames = DecodeFrames(Stream(encoded, 1));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(LitLamps(frames[0]), (std::vector<int>{1, 3, 41, 64}));
}

TEST(Pattern, RandomRepeatsForASeedAndDiffersAcrossSeeds) {
    const PatternSpec random{PatternKind::Random, {}};
    int same = 0;
    int distinct = 0;
    for (std::uint64_t n = 0; n < 100; ++n) {
        EXPECT_EQ(PatternFrame(random, n, 1, 7), PatternFrame(random, n, 1, 7));
        same += PatternFrame(random, n, 1, 7) == PatternFrame(random, n, 1, 8);
        distinct += PatternFrame(random, n, 1, 7) != PatternFrame(random, n + 1, 1, 7);
    }
    EXPECT_EQ(same, 0);
    EXPECT_EQ(distinct, 100);
}

TEST(Pattern, FixedSendsItsBytesInWireOrder) {
    const auto spec = ParsePattern("fixed:0102030405102030");
    ASSERT_TRUE(spec);
    PatternFrames source({*spec, 1, false, 0.0, 1});
    const auto slot = source.Next();
    const std::vector<std::uint8_t> want{0xAA, 1, 2, 3, 4, 5, 0x0F, 0xAA, 0x10, 0x20, 0x30, 0x60};
    EXPECT_EQ(std::vector<std::uint8_t>(slot.begin(), slot.end()), want);
}

TEST(Pattern, PlcSilentSendsOnlySecondBlocksWhichNeverCompleteAFrame) {
    PatternFrames source({PatternSpec{}, 1, true, 0.0, 1});
    const std::string bytes = Stream(source, 200);
    EXPECT_EQ(bytes.size(), 200u * 5);
    EXPECT_EQ(bytes.substr(0, 5), std::string("\xAA\x00\x00\x00\x00", 5));
    EXPECT_TRUE(DecodeFrames(bytes).empty());
}

TEST(Corruption, DamagesOneByteAtRoughlyTheAskedRate) {
    const struct {
        double p;
        int low, high;  // of 20000 frames; p=0.1 gives 2000 +- 5 sigma
    } cases[] = {{0.0, 0, 0}, {0.1, 1790, 2210}, {0.5, 9640, 10360}, {1.0, 20000, 20000}};
    for (const auto& c : cases) {
        int damaged = 0;
        for (std::uint64_t n = 0; n < 20000; ++n) {
            std::array<std::uint8_t, 12> bytes{};
            const bool hit = MaybeCorrupt(bytes, c.p, 99, n);
            const auto changed =
                std::count_if(bytes.begin(), bytes.end(), [](auto b) { return b; });
            ASSERT_EQ(changed, hit ? 1 : 0);
            damaged += hit;
        }
        EXPECT_GE(damaged, c.low) << c.p;
        EXPECT_LE(damaged, c.high) << c.p;
    }
}

TEST(Corruption, SameSeedDamagesTheSameFrames) {
    PatternFrames a({PatternSpec{}, 1, false, 0.3, 5});
    PatternFrames b({PatternSpec{}, 1, false, 0.3, 5});
    PatternFrames c({PatternSpec{}, 1, false, 0.3, 6});
    const std::string sa = Stream(a, 500);
    EXPECT_EQ(sa, Stream(b, 500));
    EXPECT_NE(sa, Stream(c, 500));
    EXPECT_EQ(a.corrupted(), b.corrupted());
}

TEST(Replay, SendsTwelveBytesASlotAndLoopsOnlyWhenAsked) {
    const simtest::TempDir dir;
    const std::string capture = "0123456789abcdefghijklmnopqrstu";  // 31 bytes: 12 + 12 + 7
    std::ofstream(dir.path() + "/cap.bin", std::ios::binary) << capture;
    for (const bool loop : {false, true}) {
        std::string error;
        auto replay = ReplayFrames::Load(dir.path() + "/cap.bin", loop, error);
        ASSERT_TRUE(replay) << error;
        std::string sent;
        std::vector<std::size_t> sizes;
        for (int i = 0; i < 7; ++i) {
            const auto slot = replay->Next();
            sizes.push_back(slot.size());
            sent.append(slot.begin(), slot.end());
        }
        if (loop) {
            EXPECT_EQ(sizes, (std::vector<std::size_t>{12, 12, 7, 12, 12, 7, 12}));
            EXPECT_EQ(sent, capture + capture + capture.substr(0, 12));
        } else {
            EXPECT_EQ(sizes, (std::vector<std::size_t>{12, 12, 7, 0, 0, 0, 0}));
            EXPECT_EQ(sent, capture);
        }
    }
    std::ofstream(dir.path() + "/empty.bin");
    std::string error;
    EXPECT_FALSE(ReplayFrames::Load(dir.path() + "/empty.bin", true, error));
    EXPECT_NE(error.find("empty"), std::string::npos);
}

}  // namespace
}  // namespace zorvane::sim
