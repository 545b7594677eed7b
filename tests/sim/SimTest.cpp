// The real zorvane-sim, run as a person runs it; its bytes decoded the way the monitor does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>

#include "FrameReceiver.h"
#include "LineSettings.h"
#include "UniqueFd.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

struct SimRun {
    int status = -1;
    std::string out;
    double seconds = 0, longestGap = 0;  // until the output ended; the longest without any
};

// zorvane-sim to its end, through the shell: `args` may add a pipe or job control.
SimRun RunSim(const std::string& args) {
    SimRun run;
    const auto start = Clock::now();
    auto last = start;
    FILE* pipe = ::popen((ZORVANE_SIM_BIN " " + args).c_str(), "r");
    char buf[4096];
    for (ssize_t n; (n = ::read(::fileno(pipe), buf, sizeof buf)) > 0; last = Clock::now()) {
        run.longestGap = std::max(run.longestGap, Seconds(Clock::now() - last).count());
        run.out.append(buf, static_cast<std::size_t>(n));
    }
    run.seconds = Seconds(last - start).count();
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct TempDir {
    char name[32] = "/tmp/zorvane-sim-test-XXXXXX";
    const std::string path = ::mkdtemp(name);
    ~TempDir() { fs::remove_all(path); }
};

std::vector<Frame> Decode(const std::string& bytes) {
    FrameReceiver receiver;
    std::vector<Frame> frames;
    for (const char c : bytes)
        if (DecodeByte(receiver, static_cast<std::uint8_t>(c)).completed)
            frames.push_back(receiver.LatestFrame());
    return frames;
}

// D0..D4 E0..E2 as one number, D0 its lowest byte.
Frame FromWord(std::uint64_t word) {
    Frame frame;
    for (std::size_t i = 0; i < frame.data.size(); ++i)
        frame.data[i] = static_cast<std::uint8_t>(word >> (8 * i));
    return frame;
}

const std::string kFixed = " --pattern fixed:0102030405a0B0C0";
const Frame kFixedFrame = FromWord(0xC0B0A00504030201);

TEST(SimPatterns, DecodeToWhatTheyPromise) {
    const auto perLamp = std::uint64_t(0.1 * kLineFramesPerSecond + 0.5);  // ~100 ms a lamp
    const std::tuple<std::string, std::uint64_t, std::function<Frame(std::uint64_t)>> cases[] = {
        {"", 2900, [&](auto n) { return FromWord(std::uint64_t{1} << (n / perLamp % 64)); }},
        // Every frame, even for a reader that falls far behind.
        {" --pattern count | (sleep 0.3; cat)", 20000, FromWord},
        {kFixed, 50, [](auto) { return kFixedFrame; }},
    };
    for (const auto& [args, count, frame] : cases) {
        const auto frames =
            Decode(RunSim("--stdout --unpaced --frames " + std::to_string(count) + args).out);
        ASSERT_EQ(frames.size(), count) << args;
        for (std::uint64_t n = 0; n < count; ++n)
            ASSERT_EQ(frames[n], frame(n)) << args << ", frame " << n;
    }
}

// Random data changes every frame; --corrupt 0.5 damages one byte of about half the frames.
TEST(SimPatterns, RandomAndCorrupted) {
    const auto random = Decode(RunSim("--stdout --unpaced --frames 100 --pattern random").out);
    ASSERT_EQ(random.size(), 100u);
    EXPECT_EQ(std::adjacent_find(random.begin(), random.end()), random.end());
    const std::string bytes = RunSim("--stdout --unpaced --frames 400 --corrupt 0.5" + kFixed).out;
    const WireBytes clean = EncodeFrame(kFixedFrame);
    std::vector<int> damaged(400);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        damaged.at(i / kWireFrameBytes) += std::uint8_t(bytes[i]) != clean[i % kWireFrameBytes];
    EXPECT_EQ(std::ranges::count(damaged, 0) + std::ranges::count(damaged, 1), 400);
    EXPECT_NEAR(std::ranges::count(damaged, 1), 200, 60);
}

// Each kind of fault on every frame, as the monitor's receiver sees it.
TEST(SimPatterns, EachFaultIsOneTheReceiverSees) {
    const struct {
        const char* kind;
        std::size_t bytes, frames, checksumErrors;  // frames: at most, when a fault loses them
    } cases[] = {
        {"check1", 1200, 0, 200}, {"check2", 1200, 100, 100}, {"no-aa", 1100, 50, 1},
        {"drop", 1100, 50, 1},    {"noise", 1300, 100, 0},
    };
    for (const auto& c : cases) {
        const std::string bytes =
            RunSim("--stdout --unpaced --frames 100 --fault " + std::string(c.kind) + ":1" + kFixed)
                .out;
        FrameReceiver receiver;
        std::size_t frames = 0;
        for (const char byte : bytes)
            frames += DecodeByte(receiver, static_cast<std::uint8_t>(byte)).completed;
        // Noise adds one to four bytes a frame; a missing AA or byte takes one.
        EXPECT_TRUE(c.kind == std::string("noise") ? bytes.size() >= c.bytes
                                                   : bytes.size() == c.bytes)
            << c.kind << ": " << bytes.size();
        EXPECT_TRUE(c.frames == 100 ? frames == 100 : frames <= c.frames)
            << c.kind << ": " << frames;
        EXPECT_TRUE(c.checksumErrors == 0 ? receiver.ChecksumErrors() == 0
                                          : receiver.ChecksumErrors() >= c.checksumErrors)
            << c.kind << ": " << receiver.ChecksumErrors();
    }
}

// Wide bounds: a loaded machine can only make a run slower.
TEST(SimPace, KeepsTheRateAndTheSilences) {
    for (const auto& [args, seconds, gap] :
         {std::tuple{"--frames 218", 0.5, 0.0},
          {"--rate 1 --frames 2", 1.0, 0.9},
          {"--rate 1000 --silence 300/500 --frames 400", 0.7, 0.28},
          // Bursts as an adapter hands them over: nothing between them.
          {"--packet-ms 100 --frames 218", 0.5, 0.09},
          // Held up for 0.5 s: the slots missed meanwhile are skipped, not sent in a burst.
          {"--frames 436 & sleep 0.3; kill -STOP $!; sleep 0.5; kill -CONT $!; wait $!", 1.5,
           0.45}}) {
        const SimRun run = RunSim(std::string("--stdout ") + args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_GT(run.seconds, seconds * 0.95) << args;
        EXPECT_LT(run.seconds, seconds * 1.6) << args;
        EXPECT_GT(run.longestGap, gap) << args;
    }
}

TEST(SimReplay, SendsTheFileAsItIsOnceOrInALoop) {
    const TempDir dir;
    std::string capture;
    for (int i = 0; i < 100; ++i)  // not a whole number of frames
        capture += static_cast<char>(i * 7);
    std::ofstream(dir.path + "/cap.bin", std::ios::binary) << capture;
    EXPECT_EQ(RunSim("--stdout --unpaced --replay " + dir.path + "/cap.bin").out, capture);
    EXPECT_EQ(RunSim("--stdout --unpaced --loop --frames 20 --replay " + dir.path + "/cap.bin").out,
              capture + capture + capture.substr(0, 24));
}

// 2 for what the user typed wrong, 1 for what failed while running; the message names it.
TEST(SimExit, TellsABadArgumentFromAFailure) {
    for (const auto& [args, status, named] :
         {std::tuple{"--rate 0", 2, "--rate: \"0\" is not valid (frames per second, more than 0"},
          {"--bogus", 2, "--bogus"},
          {"--pattern fixed:0102030405a0B0CG", 2, "fixed:"},
          {"--stdout --link x", 2, "--link names the pseudo-terminal's link: not with --stdout"},
          {"--stdout --replay /nonexistent/cap.bin", 1, "/nonexistent/cap.bin"}}) {
        const SimRun run = RunSim(std::string(args) + " 2>&1");
        EXPECT_EQ(run.status, status) << args;
        EXPECT_NE(run.out.find(named), std::string::npos) << run.out;
    }
}

// Frames under the port's name until Ctrl-C or kill, then the name is gone; a link left over is
// replaced, any other file left alone.
TEST(SimLink, ServesFramesUnderThePortNameAndLeavesOtherFilesAlone) {
    if (!UniqueFd(::posix_openpt(O_RDWR)).Valid())
        GTEST_SKIP() << "no pseudo-terminals; mount devpts on /dev/pts";
    const TempDir dir;
    const std::string com = dir.path + "/COM1";
    for (const std::string signal : {"INT", "TERM"}) {
        fs::create_symlink(dir.path + "/gone", com);
        const SimRun run = RunSim("--link " + com + " & timeout 5 sh -c 'until [ -e " + com +
                                  " ]; do sleep 0.01; done'; timeout 5 head -c 600 " + com +
                                  "; kill -" + signal + " $!; wait $!");
        EXPECT_EQ(run.status, 0) << signal;
        EXPECT_GE(Decode(run.out).size(), 45u) << signal;
        EXPECT_FALSE(fs::exists(fs::symlink_status(com))) << signal;
    }
    std::ofstream(dir.path + "/COM2") << "keep";
    EXPECT_EQ(RunSim("--link " + dir.path + "/COM2").status, 1);
    EXPECT_EQ(fs::file_size(dir.path + "/COM2"), 4u);
}

TEST(SimDevice, SendsAt57600OddParityRawAndPutsThePortBackWhenItsTerminalCloses) {
    const UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (!master.Valid()) GTEST_SKIP() << "no pseudo-terminals; mount devpts on /dev/pts";
    ASSERT_EQ(::grantpt(master.Get()) | ::unlockpt(master.Get()), 0);
    const std::string slave = ::ptsname(master.Get());
    const UniqueFd port(::open(slave.c_str(), O_RDWR | O_NOCTTY));
    termios before{}, during{}, after{};
    ::tcgetattr(port.Get(), &before);
    // Stopped as a closed terminal stops it.
    const TempDir dir;
    const std::string read = dir.path + "/read";
    auto sim = std::async(std::launch::async, RunSim,
                          "--device " + slave + " & until [ -e " + read +
                              " ]; do sleep 0.01; done; kill -HUP $!; wait $!");
    std::string bytes;
    char buf[4096];
    for (pollfd p{master.Get(), POLLIN, 0}; bytes.size() < 4800 && ::poll(&p, 1, 5000) > 0;) {
        bytes.append(buf, std::max(0L, ::read(master.Get(), buf, sizeof buf)));
        if (during.c_cflag == 0) ::tcgetattr(port.Get(), &during);  // sent for 0.9 s more
    }
    std::ofstream{read};
    EXPECT_EQ(sim.get().status, 0);
    ::tcgetattr(port.Get(), &after);
    EXPECT_GE(Decode(bytes).size(), 400u);
    EXPECT_EQ(::cfgetospeed(&during), B57600);
    // A pty drops PARENB whatever is asked; the rest sticks.
    EXPECT_EQ(during.c_cflag & (CSIZE | PARODD | CSTOPB | CRTSCTS), CS8 | PARODD);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(std::tie(after.c_cflag, after.c_lflag), std::tie(before.c_cflag, before.c_lflag));
}

}  // namespace
}  // namespace zorvane
