// The far end goes away (the pseudo-terminal master is closed) or falls silent while frames
// stream: the monitor idles, shows the link as down, keeps answering, and still closes.
#include <QLabel>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Deadline.h"
#include "EventWait.h"
#include "LampColors.h"
#include "MonitorStack.h"
#include "PortDir.h"
#include "PtyLine.h"
#include "ResourceUse.h"
#include "ResponsivenessProbe.h"
#include "Sender.h"
#include "ShapeWidget.h"

namespace zorvane::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kIdleCpuLimitPercent = 5;
constexpr auto kAnswerLimit = 100ms;
constexpr auto kCloseLimit = 500ms;
// The watchdog fires 40 ms after the last frame; this allows for a busy machine.
constexpr auto kRedLimit = 200ms;
// What the line still holds when the sender goes may take this long to show.
constexpr auto kDrainLimit = 5s;

// How long a silent sender stays silent; scripts/stress-silence.sh sets a minute.
std::chrono::milliseconds SilenceLength() {
    const char* seconds = std::getenv("ZORVANE_STRESS_SILENCE_S");
    return std::chrono::seconds(seconds != nullptr ? std::atoi(seconds) : 3);
}

class LineLost : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!line_.Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works";
        dir_ = std::make_unique<PortDir>(line_.Slave());
        stack_ = std::make_unique<MonitorStack>();
        ASSERT_TRUE(stack_->Open(5s));
    }
    void TearDown() override { stack_.reset(); }

    bool LinkShownDown() {
        auto* prijem = stack_->Window().findChild<ShapeWidget*>(QStringLiteral("prijem"));
        auto* warning = stack_->Window().findChild<QLabel*>(QStringLiteral("Label69"));
        return prijem->FillColor() == LampColorOn && warning->isVisible();
    }
    bool LinkShownUp() {
        auto* prijem = stack_->Window().findChild<ShapeWidget*>(QStringLiteral("prijem"));
        return prijem->FillColor() == LinkAliveColor;
    }
    bool FramesShown(std::uint64_t atLeast) {
        return WaitFor([&] { return stack_->Tally().Snapshot().shown >= atLeast; }, 5s);
    }

    // With nothing coming in: indicator red, no frames, the process idle, the window answering.
    void ExpectQuietLink(std::chrono::milliseconds span, const char* what) {
        ASSERT_TRUE(WaitFor([&] { return LinkShownDown(); }, kDrainLimit)) << what;
        const auto red = Clock::now() - stack_->Tally().Snapshot().lastShown;
        EXPECT_LT(red, kRedLimit) << what;
        const std::uint64_t shownBefore = stack_->Tally().Snapshot().shown;

        ResponsivenessProbe probe(50ms);
        const auto cpuBefore = ProcessCpu();
        const auto started = Clock::now();
        RunFor(span);
        const double cpu = PercentOfCore(ProcessCpu() - cpuBefore, Clock::now() - started);

        EXPECT_LT(cpu, kIdleCpuLimitPercent) << what;
        EXPECT_GT(probe.Answered(), 0) << what;
        EXPECT_LT(probe.Worst(), kAnswerLimit) << what;
        EXPECT_TRUE(LinkShownDown()) << what;
        EXPECT_EQ(stack_->Tally().Snapshot().shown, shownBefore) << what;
        std::cout << what << ": red " << std::chrono::duration<double, std::milli>(red).count()
                  << " ms after the last frame, cpu " << cpu << "% over " << span.count()
                  << " ms, slowest answer " << probe.Worst().count() << " us\n";
    }

    void ExpectPromptClose(const char* what) {
        Deadline guard(5s, what);
        const auto took = stack_->Close();
        EXPECT_LT(took, kCloseLimit) << what;
        EXPECT_FALSE(stack_->PortOpen()) << what;
        std::cout << what << ": close took " << took.count() / 1000.0 << " ms\n";
    }

    PtyLine line_;
    std::unique_ptr<PortDir> dir_;
    std::unique_ptr<MonitorStack> stack_;
};

TEST_F(LineLost, UnpluggedWhileStreamingTheMonitorIdlesShowsRedAndStillCloses) {
    Sender sender(line_.ReleaseMaster(), SendPlan{}, /*ownsMaster=*/true);
    ASSERT_TRUE(FramesShown(50));
    EXPECT_TRUE(LinkShownUp());
    sender.RequestUnplug();
    ASSERT_TRUE(WaitFor([&] { return sender.Finished(); }, 5s));
    sender.Join();

    ExpectQuietLink(1s, "unplugged");
    ExpectPromptClose("unplugged");
}

TEST_F(LineLost, SenderFallingSilentLeavesTheMonitorIdleAndFramesResumeAfterwards) {
    {
        Sender sender(line_.Master(), SendPlan{});
        ASSERT_TRUE(FramesShown(50));
        sender.RequestStop();
        ASSERT_TRUE(WaitFor([&] { return sender.Finished(); }, 5s));
        // Everything sent before the silence is shown, none lost or damaged.
        ASSERT_TRUE(FramesShown(sender.Sent()));
        EXPECT_EQ(stack_->Tally().Snapshot().inOrder, sender.Sent());
        EXPECT_EQ(stack_->Tally().Snapshot().bad, 0u);
    }
    ExpectQuietLink(SilenceLength(), "silent");

    const std::uint64_t before = stack_->Tally().Snapshot().shown;
    SendPlan again;
    again.firstFrame = 1'000'000;
    Sender sender(line_.Master(), again);
    ASSERT_TRUE(FramesShown(before + 20)) << "frames did not resume";
    EXPECT_TRUE(WaitFor([&] { return LinkShownUp(); }, 1s));
    ExpectPromptClose("silent, then resumed");
}

}  // namespace
}  // namespace zorvane::bench
