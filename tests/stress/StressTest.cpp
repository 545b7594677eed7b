// The whole monitor (window, port lifecycle, reader) on a pseudo-terminal, under load and faults.
#include <QLabel>
#include <cstdlib>
#include <random>

#include "EventWait.h"
#include "LampColors.h"
#include "MonitorStack.h"
#include "PtyLine.h"
#include "ResourceUse.h"
#include "Sender.h"
#include "ShapeWidget.h"
#include "Support.h"

namespace zorvane::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Stress : public testing::Test {
  protected:
    void SetUp() override {
        if (!line_.Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works";
        folder_.Link("COM1", line_.Slave());
    }
    // The indicator and its warning, as the user sees them: red while no frames come.
    static bool LinkDown(MonitorStack& stack) {
        return stack.Window().findChild<ShapeWidget*>("prijem")->FillColor() == LampColorOn &&
               stack.Window().findChild<QLabel*>("Label69")->isVisible();
    }
    static std::uint64_t Shown(MonitorStack& stack) { return stack.Tally().Snapshot().shown; }

    PtyLine line_;
    test::TempFolder folder_;
};

TEST_F(Stress, ClosingAtAnyMomentWhileFramesStreamNeverHangsNorShowsAFrameAfter) {
    Sender sender(line_.Master(), SendPlan{});  // flat out, across all cycles
    std::mt19937 rng(13);
    for (int cycle = 0; cycle < 60; ++cycle) {
        MonitorStack stack;
        ASSERT_TRUE(stack.Open(5s)) << cycle;
        const unsigned frames = rng() % 4;  // 0: right after the port opened
        ASSERT_TRUE(WaitFor([&] { return Shown(stack) >= frames; }, 5s)) << cycle;
        QTest::qSleep(rng() % 15);  // the window busy: the reader waits in the hand-off
        EXPECT_LT(stack.Close(), 1s) << cycle;
        EXPECT_FALSE(stack.PortOpen()) << cycle;
        RunFor(2ms);  // anything still queued gets its chance
        EXPECT_EQ(stack.Tally().Snapshot().afterClose, 0u) << cycle;
    }
}

TEST_F(Stress, UnpluggedWhileStreamingTheLinkShowsDownAndThePortIsWaitedFor) {
    MonitorStack stack;
    ASSERT_TRUE(stack.Open(5s));
    Sender sender(line_.ReleaseMaster(), SendPlan{}, /*ownsMaster=*/true);
    ASSERT_TRUE(WaitFor([&] { return Shown(stack) >= 50; }, 5s));
    sender.Unplug();  // mid-frame, wherever the writing stands
    const QString device = QString::fromStdString(line_.Slave());
    const auto prijem = stack.Window().findChild<ShapeWidget*>("prijem");
    EXPECT_TRUE(WaitFor([&] { return LinkDown(stack) && prijem->toolTip().contains(device); }, 5s))
        << "down, and the port waited for";
    EXPECT_TRUE(stack.PortOpen()) << "the program waits for the port to come back";
    EXPECT_LT(stack.Close(), 1s);
}

// scripts/stress-silence.sh keeps the line silent for a minute.
TEST_F(Stress, SilenceTurnsTheLinkDownOnceAndNothingSpins) {
    const char* seconds = std::getenv("ZORVANE_STRESS_SILENCE_S");
    const std::chrono::seconds silence(seconds != nullptr ? std::atoi(seconds) : 3);
    MonitorStack stack;
    ASSERT_TRUE(stack.Open(5s));
    SendPlan plan;
    plan.frameLimit = 300;
    Sender sender(line_.Master(), plan);
    ASSERT_TRUE(WaitFor([&] { return Shown(stack) == 300; }, 10s));
    EXPECT_EQ(stack.Tally().Snapshot().inOrder, 300u) << "every frame shown, none damaged";
    ASSERT_TRUE(WaitFor([&] { return LinkDown(stack); }, 1s));
    EXPECT_LT(Clock::now() - stack.Tally().Snapshot().lastShown, 500ms);

    const auto cpu = ProcessCpu();
    const auto started = Clock::now();
    RunFor(silence);
    EXPECT_LT(PercentOfCore(ProcessCpu() - cpu, Clock::now() - started), 5);
    EXPECT_TRUE(LinkDown(stack));
    EXPECT_EQ(Shown(stack), 300u);

    plan.firstFrame = 1000;
    plan.frameLimit = 20;
    stack.Tally().ExpectNext(1000);
    Sender resumed(line_.Master(), plan);
    EXPECT_TRUE(WaitFor([&] { return stack.Tally().Snapshot().inOrder == 320; }, 5s));
    EXPECT_FALSE(LinkDown(stack));
    EXPECT_LT(stack.Close(), 1s);
}

TEST_F(Stress, NoiseOnTheLineBreaksNothingAndFramesAfterItAreShown) {
    MonitorStack stack;
    ASSERT_TRUE(stack.Open(5s));
    std::mt19937 rng(1);
    SendPlan plan;
    plan.preamble.resize(256u << 10);
    for (auto& byte : plan.preamble)
        byte = static_cast<std::uint8_t>(rng());
    plan.firstFrame = 1'000'000;  // numbers whose frames look nothing like a frame shifted
    plan.frameLimit = 300;
    stack.Tally().ExpectNext(plan.firstFrame);
    Sender sender(line_.Master(), plan);
    // Frames made of noise carry no valid number; the last clean frame does.
    EXPECT_TRUE(WaitFor([&] { return stack.Tally().NextExpected() == 1'000'300; }, 60s));
    // A rejected block slides by five bytes, so the receiver is back in step within a few frames.
    EXPECT_GE(stack.Tally().Snapshot().inOrder, 290u);
    EXPECT_GT(stack.Tally().Snapshot().bad, 0u) << "the noise made frames of its own";
    EXPECT_LT(stack.Close(), 1s);
}

}  // namespace
}  // namespace zorvane::bench
