// Closing the window while the line runs flat out: 200 times, never a hang, never slow.
#include <QTest>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>

#include <gtest/gtest.h>

#include "Deadline.h"
#include "EventWait.h"
#include "MonitorStack.h"
#include "PortDir.h"
#include "PtyLine.h"
#include "Sender.h"

namespace zorvane::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kCycles = 200;
constexpr auto kShutdownLimit = 500ms;

// Where the close finds the reader: between frames (the window pumps events), or blocked in
// the hand-off because the user-interface thread was busy when the frame came.
enum class ClosePoint { RightAfterOpen, BetweenFrames, ReaderWaitingForWindow };

ClosePoint PointFor(int cycle) {
    return static_cast<ClosePoint>(cycle % 3);
}

TEST(ShutdownUnderLoad, ClosingTheWindowWhileFramesStreamEndsWithinHalfASecondEveryTime) {
    PtyLine line;
    if (!line.Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works";
    PortDir dir(line.Slave());
    Sender sender(line.Master(), SendPlan{});  // unpaced, across all cycles

    Clock::duration slowest{};
    Clock::duration total{};
    std::uint64_t frames = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        auto stack = std::make_unique<MonitorStack>();
        ASSERT_TRUE(stack->OpenNow(5s)) << "cycle " << cycle;
        const ClosePoint point = PointFor(cycle);
        if (point != ClosePoint::RightAfterOpen) {
            ASSERT_TRUE(WaitFor([&] { return stack->Tally().Snapshot().shown >= 2; }, 5s))
                << "no frames in cycle " << cycle;
        }
        if (point == ClosePoint::ReaderWaitingForWindow) QTest::qSleep(10);

        const auto started = Clock::now();
        {
            Deadline guard(5s, "closing the window while frames stream");
            stack->Close();
            EXPECT_FALSE(stack->PortOpen()) << "cycle " << cycle;
            EXPECT_EQ(stack->Tally().Snapshot().afterClose, 0u) << "cycle " << cycle;
            frames += stack->Tally().Snapshot().shown;
            stack.reset();  // the window goes, as when the program ends
        }
        const auto took = Clock::now() - started;
        EXPECT_LT(took, kShutdownLimit) << "cycle " << cycle;
        slowest = std::max(slowest, took);
        total += took;
    }
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d); };
    std::cout << kCycles << " cycles, " << frames << " frames shown; shutdown mean "
              << ms(total).count() / kCycles << " ms, slowest " << ms(slowest).count() << " ms\n";
}

}  // namespace
}  // namespace zorvane::bench
