// The running monitor: frames from a transmitter light the lamps, silence turns the link red,
// closing the window lets go of the port.
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "E2eFixture.h"
#include "Poll.h"
#include "ProcessFds.h"

namespace zorvane::e2e {
namespace {

// Each pattern sets lamp 25 or lamp 26 but not both; together they try every lamp lit and dark.
const char* const kPatterns[] = {"018055A9F03C817E", "FE7FAA560FC37E81"};

class FramesTest : public E2eTest, public ::testing::WithParamInterface<const char*> {};

// Name labels as a person reads them: beside their lamps, starting 24 pixels to the right, one
// of the swapped pair (Label26, named "Čidlo 26") on Shape25's row and the blank Label25 on
// Shape26's.
std::string NamesOutOfPlace(const Form1View& view) {
    std::string out;
    for (int lamp = 1; lamp <= 64; ++lamp) {
        const auto ink = view.NameInkBeside(lamp);
        const bool wantText = lamp != 26;  // Shape26's row holds Label25, which is blank
        if (ink.has_value() != wantText) {
            out += " beside Shape" + std::to_string(lamp) + (wantText ? ": no name" : ": text");
            continue;
        }
        const int gap = ink ? ink->x - Form1View::Lamp(lamp).x : 24;
        if (gap < 24 || gap > 27)
            out += " name beside Shape" + std::to_string(lamp) + " at +" + std::to_string(gap);
    }
    return out;
}

TEST_P(FramesTest, LampsShowTheFramesSentInBothPanels) {
    ASSERT_TRUE(dir_.Write("names.ini", SampleNames()));
    StartSimOnCom1(GetParam());
    StartProgram();
    OpenCom1AndWaitForFrames(ParseHex16(GetParam()));
    ASSERT_FALSE(HasFailure());
    const Form1View view(lastImage_);
    EXPECT_EQ(view.NotRoundLamps(), "");
    EXPECT_EQ(NamesOutOfPlace(view), "");
}

TEST_P(FramesTest, SilenceTurnsTheIndicatorRedAndKeepsTheLastFrame) {
    ASSERT_TRUE(dir_.Write("names.ini", SampleNames()));
    const FrameData data = ParseHex16(GetParam());
    StartSimOnCom1(GetParam());
    StartProgram();
    const TopWindow main = OpenCom1AndWaitForFrames(data);
    ASSERT_FALSE(HasFailure());

    StopSim();
    const std::string complaint = WaitForForm(main.id, [&](const Form1View& view) {
        std::string problem = view.LampMismatches(data);
        if (view.Indicator() != Form1View::Link::Silent) problem += " prijem not red with warning";
        return problem;
    });
    ASSERT_EQ(complaint, "");
    // "Vorlan nevysílá" centred over the indicator, where its label's box is.
    const auto ink = Form1View(lastImage_).WarningInk();
    ASSERT_TRUE(ink);
    const int inkCentreX2 = 2 * ink->x + ink->width;
    const int inkCentreY2 = 2 * ink->y + ink->height;
    EXPECT_NEAR(inkCentreX2, 2 * kWarningBox.x + kWarningBox.width, 2 * 3);
    EXPECT_NEAR(inkCentreY2, 2 * kWarningBox.y + kWarningBox.height, 2 * 4);
    EXPECT_GT(ink->width, 80) << "too narrow for the warning text";
    EXPECT_FALSE(program_->Exited()) << "the program ended when the transmitter went away";
}

INSTANTIATE_TEST_SUITE_P(Patterns, FramesTest, ::testing::ValuesIn(kPatterns),
                         [](const auto& info) { return std::string(info.param); });

using CloseTest = E2eTest;

TEST_F(CloseTest, ClosingWhileFramesStreamEndsWithinASecondAndRestoresTimeouts) {
    pty_ = std::make_unique<Pty>();
    if (!pty_->Ok()) GTEST_SKIP() << "needs pseudo-terminals: mount devpts so /dev/ptmx works";
    termios before = pty_->Settings();
    before.c_cc[VMIN] = 7;
    before.c_cc[VTIME] = 42;
    ASSERT_TRUE(pty_->SetSettings(before));
    ASSERT_TRUE(dir_.Link(1, pty_->SlavePath()));
    ASSERT_TRUE(dir_.Write("names.ini", SampleNames()));
    const FrameData data = ParseHex16(kPatterns[0]);
    pty_->StartStreaming(data, 2292);  // the line rate: one frame every 2.292 ms

    StartProgram();
    const TopWindow main = OpenCom1AndWaitForFrames(data);
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(Holds(program_->Pid(), pty_->SlavePath()));
    const termios open = pty_->Settings();
    EXPECT_EQ(open.c_cc[VMIN], 0);
    EXPECT_EQ(open.c_cc[VTIME], 1);

    const auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(x_->RequestClose(main.id));
    ASSERT_TRUE(program_->WaitExit(kExit)) << "still running after the close request";
    const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - asked)
                            .count();
    RecordProperty("close_ms", static_cast<int>(tookMs));
    std::cout << "close request to exit: " << tookMs << " ms\n";
    EXPECT_LT(tookMs, 1000);
    EXPECT_EQ(program_->ExitStatus(), 0);
    const termios after = pty_->Settings();
    EXPECT_EQ(after.c_cc[VMIN], 7);
    EXPECT_EQ(after.c_cc[VTIME], 42);
    EXPECT_GT(pty_->FramesSent(), 0u);
}

}  // namespace
}  // namespace zorvane::e2e
