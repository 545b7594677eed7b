// The real zorvane-sim, run as a person runs it; its bytes decoded the way the monitor does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "FrameReceiver.h"
#include "UniqueFd.h"

namespace zorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

struct SimRun {
    int status = -1;
    std::string out;
    double seconds = 0;     // until the output ended
    double longestGap = 0;  // without output
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

// Up to `want` bytes, or what came before 5 s without any.
std::string ReadFor(int fd, std::size_t want) {
    std::string got(want, '\0');
    std::size_t n = 0;
    pollfd p{fd, POLLIN, 0};
    while (n<want&& ::poll(&p, 1, 5000)> 0) {
        const ssize_t r = ::read(fd, got.data() + n, want - n);
        if (r <= 0) break;
        n += static_cast<std::size_t>(r);
    }
    return got.substr(0, n);
}

const Frame kFixed{{0x01, 0x02, 0x03, 0x04, 0x05, 0xA0, 0xB0, 0xC0}};

TEST(SimPatterns, EachDecodesToWhatItPromises) {
    using Check = std::function<void(const std::string& bytes, const std::vector<Frame>& frames)>;
    const std::pair<std::string, Check> cases[] = {
        {"--frames 2900",  // one lamp after the other, ~100 ms each at the line rate
         [](auto&, auto& frames) {
             ASSERT_EQ(frames.size(), 2900u);
             const auto perLamp = std::lround(0.1 * kLineFramesPerSecond);
             for (std::size_t n = 0; n < frames.size(); ++n) {
                 Frame lit;
                 lit.SetLamp(static_cast<int>(n / perLamp % kLampCount) + 1, true);
                 ASSERT_EQ(frames[n], lit) << n;
             }
         }},
        // Bit k of frame n on lamp k+1, every frame even for a reader that falls far behind.
        {"--frames 20000 --pattern count | (sleep 0.3; cat)",
         [](auto&, auto& frames) {
             ASSERT_EQ(frames.size(), 20000u);
             for (std::uint64_t n = 0; n < frames.size(); ++n)
                 for (int lamp = 1; lamp <= kLampCount; ++lamp)
                     ASSERT_EQ(frames[n].Lamp(lamp), (n >> (lamp - 1)) & 1) << n;
         }},
        {"--frames 500 --pattern random",  // both hex texts and many lamps change every frame
         [](auto&, auto& frames) {
             ASSERT_EQ(frames.size(), 500u);
             int lampsChanged = 0;
             for (std::size_t n = 1; n < frames.size(); ++n) {
                 EXPECT_FALSE(std::ranges::equal(frames[n].Plc(), frames[n - 1].Plc()));
                 EXPECT_FALSE(std::ranges::equal(frames[n].Rt(), frames[n - 1].Rt()));
                 for (std::size_t i = 0; i < kFixed.data.size(); ++i)
                     lampsChanged +=
                         std::popcount<std::uint8_t>(frames[n].data[i] ^ frames[n - 1].data[i]);
             }
             EXPECT_GT(lampsChanged, 25 * 499);
         }},
        {"--frames 50 --pattern fixed:0102030405a0B0C0",
         [](auto&, auto& frames) { EXPECT_EQ(frames, std::vector<Frame>(50, kFixed)); }},
        {"--frames 200 --corrupt 1 --pattern fixed:0102030405A0B0C0",  // one byte of every frame
         [](auto& bytes, auto&) {
             const WireBytes clean = EncodeFrame(kFixed);
             std::vector<int> damaged(200);
             for (std::size_t i = 0; i < bytes.size(); ++i)
                 damaged.at(i / kWireFrameBytes) +=
                     static_cast<std::uint8_t>(bytes[i]) != clean[i % kWireFrameBytes];
             EXPECT_EQ(damaged, std::vector<int>(200, 1));
         }},
    };
    for (const auto& [args, check] : cases) {
        SCOPED_TRACE(args);
        const SimRun run = RunSim("--stdout --unpaced " + args);
        ASSERT_EQ(run.status, 0);
        check(run.out, Decode(run.out));
    }
}

// Wide bounds: a loaded machine can only make a run slower.
TEST(SimPace, KeepsTheRateAndTheSilences) {
    for (const auto& [args, seconds, gap] :
         {std::tuple{"--frames 218", 0.5, 0.0},
          {"--rate 1000 --silence 300/500 --frames 400", 0.7, 0.28},
          // Held up for 0.5 s: the slots missed meanwhile are skipped, not sent in a burst.
          {"--frames 436 & sleep 0.3; kill -STOP $!; sleep 0.5; kill -CONT $!; wait $!", 1.5,
           0.45}}) {
        SCOPED_TRACE(args);
        const SimRun run = RunSim(std::string("--stdout ") + args);
        EXPECT_EQ(run.status, 0);
        EXPECT_GT(run.seconds, seconds * 0.95);
        EXPECT_LT(run.seconds, seconds * 1.6);
        EXPECT_GT(run.longestGap, gap);
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

TEST(SimExit, TellsABadArgumentFromAFailure) {
    EXPECT_EQ(RunSim("--frames 0").status, 2);
    EXPECT_EQ(RunSim("--stdout --replay /nonexistent/capture.bin").status, 1);
}

TEST(SimLink, ServesFramesUnderThePortNameAndLeavesOtherFilesAlone) {
    if (!UniqueFd(::posix_openpt(O_RDWR)).Valid())
        GTEST_SKIP() << "no pseudo-terminals; mount devpts on /dev/pts";
    const TempDir dir;
    const std::string com = dir.path + "/COM1";
    fs::create_symlink(dir.path + "/gone", com);  // left over from an earlier run
    for (const int signal : {SIGINT, SIGTERM}) {
        auto sim = std::async(std::launch::async, RunSim,
                              "--link " + com + " & echo $! >" + dir.path + "/pid; wait $!");
        std::error_code ec;
        for (const auto until = Clock::now() + 5s;
             !fs::read_symlink(com, ec).string().starts_with("/dev/pts/") && Clock::now() < until;)
            std::this_thread::sleep_for(10ms);
        const UniqueFd port(::open(com.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK));
        EXPECT_GE(Decode(ReadFor(port.Get(), 50 * kWireFrameBytes)).size(), 45u);
        pid_t pid = 0;
        std::ifstream(dir.path + "/pid") >> pid;
        ::kill(pid, signal);
        EXPECT_EQ(sim.get().status, 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(com)));
    }
    std::ofstream(dir.path + "/COM2") << "keep";
    EXPECT_EQ(RunSim("--link " + dir.path + "/COM2").status, 1);
    EXPECT_EQ(fs::file_size(dir.path + "/COM2"), 4u);
}

TEST(SimDevice, SendsAt57600OddParityRaw) {
    const UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (!master.Valid()) GTEST_SKIP() << "no pseudo-terminals; mount devpts on /dev/pts";
    ASSERT_EQ(::grantpt(master.Get()) | ::unlockpt(master.Get()), 0);
    const std::string slave = ::ptsname(master.Get());
    const UniqueFd port(::open(slave.c_str(), O_RDWR | O_NOCTTY));
    termios during{};
    auto sim = std::async(std::launch::async, RunSim, "--device " + slave + " --frames 400");
    std::string bytes = ReadFor(master.Get(), 100 * kWireFrameBytes);
    EXPECT_EQ(::tcgetattr(port.Get(), &during), 0);
    bytes += ReadFor(master.Get(), 300 * kWireFrameBytes);
    EXPECT_EQ(sim.get().status, 0);
    EXPECT_EQ(Decode(bytes).size(), 400u);
    EXPECT_EQ(::cfgetospeed(&during), B57600);
    // A pty drops PARENB whatever is asked; the rest sticks.
    EXPECT_EQ(during.c_cflag & (CSIZE | PARODD | CSTOPB | CRTSCTS), CS8 | PARODD);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO | ISIG), 0u);
}

}  // namespace
}  // namespace zorvane
