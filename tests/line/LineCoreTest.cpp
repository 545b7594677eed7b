// The line core: what each read brings, told as frames with the time they crossed the line, and
// the link's silences judged on those times.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "LineCore.h"

namespace zorvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// `count` frames as the line carries them; lamp 1 flips with every frame.
Bytes Frames(int count, int first = 0) {
    Bytes bytes;
    for (int n = first; n < first + count; ++n) {
        const WireBytes w = EncodeFrame(Frame{{static_cast<std::uint8_t>(n & 1)}});
        bytes.insert(bytes.end(), w.begin(), w.end());
    }
    return bytes;
}

Bytes Part(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + from, bytes.begin() + to);
}

// Every event as "kind ms[@offset]", milliseconds after the start, to the microsecond.
struct Told final : LineConsumer {
    explicit Told(Moment start) : start(start) {}
    void Event(const LineEvent& e) override {
        static const char* const kKinds[] = {"frame", "down", "up", "lost", "back"};
        char text[64];
        const double ms = std::chrono::duration<double, std::milli>(e.at.tick - start.tick).count();
        std::snprintf(text, sizeof text, "%s %.3f", kKinds[int(e.kind)], ms);
        std::string line = text;
        if (e.kind == LineEvent::Kind::Frame) line += "@" + std::to_string(e.offset);
        events.push_back(line);
        // Both clocks move together.
        EXPECT_EQ(e.at.wall - start.wall,
                  std::chrono::duration_cast<std::chrono::system_clock::duration>(e.at.tick -
                                                                                  start.tick));
    }
    Moment start;
    std::vector<std::string> events;
};

struct Read {
    double ms;  // when the read returned
    Bytes bytes;
};

struct Case {
    const char* what;
    std::vector<Read> reads;
    std::vector<std::string> told;
};

class LineTimes : public testing::TestWithParam<Case> {};

TEST_P(LineTimes, FramesKeepTheirTimesOnTheLineAndSilencesAreJudgedOnThem) {
    const Moment start{std::chrono::steady_clock::time_point(1h),
                       std::chrono::system_clock::time_point(24h)};
    LineCore line;
    Told told(start);
    line.Add(told);
    line.Start(start);
    for (const Read& read : GetParam().reads)
        line.Read(read.bytes, start.After(std::chrono::duration<double, std::milli>(read.ms)));
    EXPECT_EQ(told.events, GetParam().told) << GetParam().what;
}

const Bytes kTwo = Frames(2);

INSTANTIATE_TEST_SUITE_P(
    Reads, LineTimes,
    testing::Values(
        Case{"one frame a read",
             {{2.292, Frames(1)}, {4.583, Frames(1, 1)}},
             {"frame 2.292@11", "frame 4.583@23"}},
        // A USB adapter hands over 16 ms at once: each frame 2.29 ms (12 bytes) before the next.
        Case{"seven frames in one 16 ms read",
             {{16, Frames(7)}},
             {"frame 2.250@11", "frame 4.542@23", "frame 6.833@35", "frame 9.125@47",
              "frame 11.417@59", "frame 13.708@71", "frame 16.000@83"}},
        Case{"frames that crossed before the port was opened waited in it: old, not told",
             {{10, Frames(7)}},
             {"frame 0.833@35", "frame 3.125@47", "frame 5.417@59", "frame 7.708@71",
              "frame 10.000@83"}},
        Case{"a frame split across reads",
             {{1, Part(kTwo, 0, 5)}, {2.5, Part(kTwo, 5, 12)}},
             {"frame 2.500@11"}},
        Case{"a read after a 100 ms silence: down 40 ms after the frame, up with the next",
             {{1, Frames(1)}, {101, {}}, {150, Frames(1, 1)}},
             {"frame 1.000@11", "down 41.000", "up 150.000", "frame 150.000@23"}},
        Case{"a read that ends mid-frame",
             {{10, Part(kTwo, 0, 18)}, {12, Part(kTwo, 18, 24)}},
             {"frame 8.854@11", "frame 12.000@23"}},
        Case{"39 ms between frames: the link stays up",
             {{1, Frames(1)}, {40, Frames(1, 1)}},
             {"frame 1.000@11", "frame 40.000@23"}},
        Case{"41 ms: it went down 40 ms after the frame",
             {{1, Frames(1)}, {42, Frames(1, 1)}},
             {"frame 1.000@11", "down 41.000", "up 42.000", "frame 42.000@23"}},
        Case{"a burst that went over late is judged by when its frames crossed",
             {{1, Frames(1)}, {50, Frames(5, 1)}},
             {"frame 1.000@11", "frame 40.833@23", "frame 43.125@35", "frame 45.417@47",
              "frame 47.708@59", "frame 50.000@71"}},
        Case{"never earlier than what was told: nothing had come when a read found none",
             {{1, Frames(1)}, {20, {}}, {25, Frames(5, 1)}},
             {"frame 1.000@11", "frame 20.000@23", "frame 20.000@35", "frame 20.417@47",
              "frame 22.708@59", "frame 25.000@71"}}));

// The port going and coming back is told in its place, and a silence before it first.
TEST(LineCore, PortLossComesAfterTheSilenceItEnded) {
    const Moment start{};
    LineCore line;
    Told told(start);
    line.Add(told);
    line.Read(Frames(1), start.After(1ms));
    line.PortLost(start.After(60ms));
    line.PortBack(start.After(2s));
    line.Finish(start.After(3s));
    EXPECT_EQ(told.events, (std::vector<std::string>{"frame 1.000@11", "down 41.000", "lost 60.000",
                                                     "back 2000.000"}));
}

// A capture has no clock: its frames carry their offsets and its link never goes down.
TEST(LineCore, ACaptureTellsOffsetsAndNoSilence) {
    LineCore line;
    Told told({});
    line.Add(told);
    const Bytes bytes = Frames(3);
    line.Read(Part(bytes, 0, 20));
    line.Read(Part(bytes, 20, 36));
    EXPECT_EQ(told.events,
              (std::vector<std::string>{"frame 0.000@11", "frame 0.000@23", "frame 0.000@35"}));
    EXPECT_EQ(line.Bytes(), 36u);
}

}  // namespace
}  // namespace zorvane
