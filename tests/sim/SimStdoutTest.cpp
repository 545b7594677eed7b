#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "Decode.h"
#include "Pace.h"
#include "Pattern.h"
#include "SimProcess.h"

namespace zorvane::simtest {
namespace {

using Clock = std::chrono::steady_clock;

TEST(SimStdout, ThousandUnpacedFramesDecodeToThousandWalkFrames) {
    const SimResult r = RunSim({"--stdout", "--frames", "1000", "--unpaced"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.size(), 12000u);
    const auto frames = DecodeFrames(r.out);
    ASSERT_EQ(frames.size(), 1000u);
    const auto perLamp = sim::WalkFramesPerLamp(sim::Pace::LineRate().FramesPerSecond());
    for (std::size_t n = 0; n < frames.size(); ++n)
        ASSERT_EQ(LitLamps(frames[n]), std::vector<int>{sim::WalkLamp(n, perLamp)}) << n;
}

TEST(SimStdout, BadArgumentsExitTwoWithAMessageAndNoOutput) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--frames", "zero"}, {"--pattern", "fixed:12"}, {"--nope"}, {"--rate"}}) {
        const SimResult r = RunSim(args);
        EXPECT_EQ(r.exitStatus, 2) << args[0];
        EXPECT_NE(r.err.find("zorvane-sim: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(SimStdout, HelpGoesToStdoutAndExitsZero) {
    const SimResult r = RunSim({"--help"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out.rfind("Usage: zorvane-sim", 0), 0u);
}

TEST(SimStdout, ReplaySendsTheFileOnceAsItIs) {
    const TempDir dir;
    std::string capture;
    for (int i = 0; i < 100; ++i)
        capture += static_cast<char>(i * 7);  // not a multiple of 12
    std::ofstream(dir.path() + "/cap.bin", std::ios::binary) << capture;
    const SimResult r = RunSim({"--stdout", "--unpaced", "--replay", "cap.bin"}, dir.path());
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out, capture);

    const SimResult missing = RunSim({"--stdout", "--replay", "nothing.bin"}, dir.path());
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("nothing.bin"), std::string::npos);
}

// Wall-clock checks with wide bounds: a loaded machine can only make a run slower.
TEST(SimStdoutTiming, DefaultPaceSendsALineRateSecondInAboutOneSecond) {
    const auto start = Clock::now();
    const SimResult r = RunSim({"--stdout", "--frames", "436"});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(DecodeFrames(r.out).size(), 436u);
    EXPECT_GT(seconds, 0.8);
    EXPECT_LT(seconds, 1.5);
}

TEST(SimStdoutTiming, SilencePausesTheStream) {
    // 1000 frames/s with 500 ms quiet per second: 600 frames need 1.1 s instead of 0.6 s.
    const auto start = Clock::now();
    const SimResult r =
        RunSim({"--stdout", "--rate", "1000", "--silence", "500/1000", "--frames", "600"});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out.size(), 600u * 12);
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 3.0);
}

}  // namespace
}  // namespace zorvane::simtest
