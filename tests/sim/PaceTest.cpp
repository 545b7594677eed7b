#include <gtest/gtest.h>

#include "Mix.h"
#include "Pace.h"
#include "Silence.h"

namespace zorvane::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(Pace, LineRateIsTwelveElevenBitBytesAt57600Baud) {
    const Pace line = Pace::LineRate();
    EXPECT_EQ(line.Offset(0), Nanos(0));
    EXPECT_EQ(line.Offset(1), Nanos(2'291'666));  // 12*11/57600 s
    EXPECT_NEAR(line.FramesPerSecond(), 436.36, 0.01);
    // 4800 frames are 57600 bytes, exactly 11 s of line time.
    EXPECT_EQ(line.Offset(4800), seconds(11));
}

TEST(Pace, OffsetsDoNotDriftOverLongRuns) {
    const Pace line = Pace::LineRate();
    // A year at the line rate: each slot is still where k * 11/4800 s puts it.
    const std::uint64_t year = 4800ull * 365 * 24 * 3600 / 11;
    for (const std::uint64_t k : {std::uint64_t{1} << 20, year / 4800 * 4800, year}) {
        const Nanos exact = Nanos(static_cast<std::int64_t>(k / 4800 * 11'000'000'000ull +
                                                            k % 4800 * 11'000'000'000ull / 4800));
        EXPECT_EQ(line.Offset(k), exact) << k;
    }
    EXPECT_EQ(Pace::FromMilliFps(1'000'000).Offset(3'600'000), seconds(3600));
}

TEST(Pace, SlotAtOrAfterIsTheFirstSlotNotBeforeT) {
    for (const Pace pace : {Pace::LineRate(), Pace::FromMilliFps(12'500), Pace(3, 7)}) {
        for (std::uint64_t i = 0; i < 2000; ++i) {
            const Nanos t(static_cast<std::int64_t>(Mix(3, 4, i) % 100'000'000'000ull));
            const std::uint64_t slot = pace.SlotAtOrAfter(t);
            ASSERT_GE(pace.Offset(slot), t);
            if (slot > 0) {
                ASSERT_LT(pace.Offset(slot - 1), t);
            }
        }
        EXPECT_EQ(pace.SlotAtOrAfter(Nanos(-5)), 0u);
        EXPECT_EQ(pace.SlotAtOrAfter(pace.Offset(17)), 17u);
    }
}

TEST(Silence, PausesTheLastPartOfEveryPeriod) {
    const Silence s({200, 1000});  // quiet from 800 to 1000 ms of every second
    const struct {
        milliseconds t;
        bool quiet;
        milliseconds resume;
    } cases[] = {{milliseconds(0), false, {}},          {milliseconds(799), false, {}},
                 {milliseconds(800), true, seconds(1)}, {milliseconds(999), true, seconds(1)},
                 {milliseconds(1000), false, {}},       {milliseconds(5900), true, seconds(6)}};
    for (const auto& c : cases) {
        EXPECT_EQ(s.Contains(c.t), c.quiet) << c.t.count();
        if (c.quiet) {
            EXPECT_EQ(s.ResumeAt(c.t), c.resume) << c.t.count();
        }
    }
}

}  // namespace
}  // namespace zorvane::sim
